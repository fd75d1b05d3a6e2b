// The main window's controls as the layout places them (their list is in
// controls.h): the kinds of control and the table the window is built from.
#ifndef LUMIVANE_UI_CONTROL_LAYOUT_H_
#define LUMIVANE_UI_CONTROL_LAYOUT_H_

#include <array>

#include "ui/controls.h"

namespace lumivane::ui {

enum class ControlKind {
  kLabel,
  kPlainLabel,
  kEdit,
  kReadOnlyEdit,
  kPushButton,
  kCheckBox,
  kGroupBox,
  kDropDownList,
  kProgressBar,
};

struct ControlPlace {
  Control control;
  ControlKind kind;
  const char* text;
  int x, y, width, height;  // client coordinates; a list's height is that of its open list
};

extern const std::array<ControlPlace, kControlCount> kControlLayout;

inline constexpr int kClientWidth = 681;
inline constexpr int kClientHeight = 486;

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_CONTROL_LAYOUT_H_
