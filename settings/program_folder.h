// The program folder: the folder current when the program started. The
// settings file, the default watermark picture, the preview folder and the
// shortcut all live relative to it.
#ifndef LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_
#define LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_

#include <string>

namespace lumivane {

std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

}  // namespace lumivane

#endif  // LUMIVANE_SETTINGS_PROGRAM_FOLDER_H_
