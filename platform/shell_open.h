// Opening files, folders and web addresses with the desktop's own programs.
#ifndef LUMIVANE_PLATFORM_SHELL_OPEN_H_
#define LUMIVANE_PLATFORM_SHELL_OPEN_H_

#include <string>

namespace lumivane::platform {

// Result codes in the style of the desktop shell: above 32 is success.
inline constexpr int kShellOpenOk = 42;
inline constexpr int kShellNoAssociation = 31;
inline constexpr int kShellFileNotFound = 2;  // also: no such program at all
inline constexpr bool ShellOpened(int result) { return result > 32; }

// Opens a file, folder or address with the program the desktop associates
// with it. Does not wait for that program.
int ShellOpen(const std::string& target);

// Opens a file in the web browser.
int BrowserOpen(const std::string& target);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_SHELL_OPEN_H_
