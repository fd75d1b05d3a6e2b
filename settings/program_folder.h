// The program folder: the folder current when the program started. The
// settings file, the default watermark picture, the preview folder and the
// shortcut all live relative to it.
#ifndef LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_
#define LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_

#include <optional>
#include <string>

namespace lumivane {

std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

// True when `folder` holds the program's files (its settings or its
// announcement list).
bool IsProgramFolder(const std::string& folder);

// For an installed program (`executable` beside a "share/lumivane" folder
// with what a program folder starts with): the user's own program folder,
// made and filled with the missing starting files. None for a program that
// is not installed, or when the folder cannot be made.
std::optional<std::string> PrepareUserProgramFolder(const std::string& executable);

}  // namespace lumivane

#endif  // LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_
