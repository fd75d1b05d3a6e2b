// UTF-8 inside the program, UTF-16 at the system's calls.
#ifndef LUMIVANE_PLATFORM_WINDOWS_WIDE_TEXT_H_
#define LUMIVANE_PLATFORM_WINDOWS_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace lumivane::platform {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// A path for the system's wide calls, its separators the system's own.
std::wstring WidePath(const std::string& utf8_path);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_WINDOWS_WIDE_TEXT_H_
