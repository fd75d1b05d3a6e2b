// The explanation of each control, shown by the help bubble.
#ifndef LUMIVANE_UI_HELP_TEXTS_H_
#define LUMIVANE_UI_HELP_TEXTS_H_

#include "ui/controls.h"

namespace lumivane::ui {

// The control's explanation with its line breaks, or null for controls
// that have none (the group boxes and the basic settings caption).
const char* HelpTextFor(Control control);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_HELP_TEXTS_H_
