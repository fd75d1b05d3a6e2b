// Listing the folders and picture files a run processes.
#ifndef LUMIVANE_ENGINE_RUN_FOLDER_SCAN_H_
#define LUMIVANE_ENGINE_RUN_FOLDER_SCAN_H_

#include <optional>
#include <string>
#include <vector>

#include "engine/run/string_list.h"

namespace lumivane {

// What a folder listing leaves out, for the log.
struct FoldersLeftOut {
  std::vector<std::string> links;     // leading out of the tree, or into `avoid`
  std::vector<std::string> too_long;  // below the longest path the system takes
  int hidden = 0;                     // names starting with "."
};

// Appends the full paths of the folders below `folder` in depth-first
// pre-order (a folder before its own subfolders, those before its next
// sibling), siblings in natural order (text/natural_order.h). Names
// starting with "." are skipped. A folder reached a second time is not
// entered again. A link to a folder is followed only when it stays inside
// `folder`'s tree and leads neither to `avoid` nor below it (the outputs).
void ListSubfolders(const std::string& folder, StringList& list, bool recursive,
                    const std::string& avoid = "", FoldersLeftOut* left_out = nullptr);

// Bare names of the picture files of `folder` (JPG, JPEG, JFIF, JPE, PNG,
// BMP, HEIC, HEIF, WebP, AVIF, TIF, TIFF, GIF; the extension from the last ".", any
// letter case), in listing order; none when the folder cannot be listed.
// `passed_over` counts the other files.
std::optional<StringList> ListPictureFiles(const std::string& folder, int* passed_over = nullptr);

bool IsDirectory(const std::string& path);

// Folders are compared by what they are, not by how they are spelled: a
// case-insensitive disk, a link or a second mount name one folder many ways.
bool SameFolder(const std::string& a, const std::string& b);
// True when `outer` is one of the folders above `inner`.
bool FolderLiesWithin(const std::string& inner, const std::string& outer);

// The first free "<source>_处理后", "<source>_处理后2", ..., beside the
// source made absolute. Only folders take a name; nothing is created.
std::string DefaultTargetFolder(const std::string& source);
// True when the file can be opened for reading.
bool FileExists(const std::string& path);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_FOLDER_SCAN_H_
