#include "ui/controls.h"

#include <array>
#include <cstddef>

namespace lumivane {

const char* ControlName(Control control) {
  static constexpr std::array<const char*, kControlCount> kNames = {
#define LUMIVANE_CONTROL_NAME(name, ...) #name,
      LUMIVANE_MAIN_WINDOW_CONTROLS(LUMIVANE_CONTROL_NAME)
#undef LUMIVANE_CONTROL_NAME
  };
  return kNames[static_cast<std::size_t>(control)];
}

std::optional<Control> ControlNamed(std::string_view name) {
  for (int i = 0; i < kControlCount; ++i) {
    if (name == ControlName(static_cast<Control>(i))) return static_cast<Control>(i);
  }
  return std::nullopt;
}

}  // namespace lumivane
