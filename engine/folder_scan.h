// Listing the folders and picture files a run processes.
#ifndef LUMIVANE_ENGINE_FOLDER_SCAN_H_
#define LUMIVANE_ENGINE_FOLDER_SCAN_H_

#include <optional>
#include <string>

#include "engine/string_list.h"

namespace lumivane {

// Appends the full paths of the folders below `folder` in depth-first
// pre-order (a folder before its own subfolders, those before its next
// sibling), siblings in natural order (text/natural_order.h). Names starting with "." are skipped.
// A folder reached a second time (through a link) is not entered again.
void ListSubfolders(const std::string& folder, StringList& list, bool recursive);

// Bare names of the JPG, JPEG, PNG and BMP files of `folder` (extension
// from the last ".", any letter case), in listing order; none when the
// folder cannot be listed.
std::optional<StringList> ListPictureFiles(const std::string& folder);

bool IsDirectory(const std::string& path);

// The first free "<source>_处理后", "<source>_处理后2", ..., beside the
// source made absolute. Only folders take a name; nothing is created.
std::string DefaultTargetFolder(const std::string& source);
// True when the file can be opened for reading.
bool FileExists(const std::string& path);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_FOLDER_SCAN_H_
