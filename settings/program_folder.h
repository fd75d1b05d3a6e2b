// The program folder: where the settings, options and presets files, the
// default watermark picture, the preview folder and the shortcut live. It
// is decided once, at start-up, and passed on as a value.
#ifndef LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_
#define LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_

#include <optional>
#include <string>

namespace lumivane {

// True when `folder` holds the program's files (its settings or its
// announcement list).
bool IsProgramFolder(const std::string& folder);

// What an installed program ships beside `executable`: its
// "../share/lumivane" folder. "" when `executable` names no folder.
std::string SharedDataFolder(const std::string& executable);

// For an installed program (`executable` beside a "share/lumivane" folder
// with what a program folder starts with): the user's own program folder,
// made and filled with the missing starting files. None for a program that
// is not installed, or when the folder cannot be made.
std::optional<std::string> PrepareUserProgramFolder(const std::string& executable);

// The folder a program without a window works in, started in
// `start_folder`: that folder when it is a program folder, else the
// user's own once the window made it (its settings and presets), else
// `start_folder`.
std::string FindProgramFolder(const std::string& start_folder);

}  // namespace lumivane

#endif  // LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_
