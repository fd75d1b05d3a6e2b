// The window's controls built as the layout places them: each of its kind,
// named, its list filled, and widened where this platform's fonts would
// cut its text (the window's behaviour is the main window's).
#ifndef LUMIVANE_UI_CONTROL_BUILDING_H_
#define LUMIVANE_UI_CONTROL_BUILDING_H_

#include <QWidget>
#include <array>

#include "ui/controls.h"

namespace lumivane::ui {

using Controls = std::array<QWidget*, kControlCount>;

Controls BuildControls(QWidget* parent);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_CONTROL_BUILDING_H_
