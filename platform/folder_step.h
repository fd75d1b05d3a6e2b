// One step of MakeFolderBelow, where it depends on the system.
#ifndef LUMIVANE_PLATFORM_FOLDER_STEP_H_
#define LUMIVANE_PLATFORM_FOLDER_STEP_H_

#include <string>

#include "platform/file_system.h"

namespace lumivane::platform {

// Makes the folder `path` unless it is there: kReady for a folder (made or
// found), kLink for a link, kFailed (its problem noted) for anything else.
FolderMade MakeFolderStep(const std::string& path);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_FOLDER_STEP_H_
