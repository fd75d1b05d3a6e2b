// A shortcut to the program on the user's desktop: the Internet shortcut
// "Lumivane.url" and, for a Linux desktop, a launcher "Lumivane.desktop".
#ifndef LUMIVANE_HOST_DESKTOP_SHORTCUT_H_
#define LUMIVANE_HOST_DESKTOP_SHORTCUT_H_

#include <optional>
#include <string>

namespace lumivane {

// The launcher's icon, in the program folder.
inline constexpr char kLauncherIconFile[] = "lumivane.png";

// The five lines of the Internet shortcut, CR LF between them, none after the last.
std::string InternetShortcutText(const std::string& program_file,
                                 const std::string& program_folder);

// The launcher's name in the desktop folder.
inline constexpr char kLauncherFileName[] = "Lumivane.desktop";

// Makes the desktop folder when it is missing. False when there is none,
// or it or a file cannot be made.
bool CreateDesktopShortcut(const std::string& program_folder, const std::string& program_file,
                           const std::optional<std::string>& desktop_folder);

}  // namespace lumivane

#endif  // LUMIVANE_HOST_DESKTOP_SHORTCUT_H_
