#include "ui/control_layout.h"

#include "engine/picture/settings_text.h"

namespace lumivane::ui {

const std::array<ControlPlace, kControlCount> kControlLayout = {{
#define LUMIVANE_CONTROL_PLACE(name, kind, text, x, y, width, height) \
  {Control::name, ControlKind::kind, text, x, y, width, height},
    LUMIVANE_MAIN_WINDOW_CONTROLS(LUMIVANE_CONTROL_PLACE)
#undef LUMIVANE_CONTROL_PLACE
}};

}  // namespace lumivane::ui
