// A folder given when the program is started ("lumivane FOLDER", or "Open
// with" in a file manager) becomes the source, as if chosen.
#ifndef LUMIVANE_UI_START_FOLDER_H_
#define LUMIVANE_UI_START_FOLDER_H_

#include <string>
#include <vector>

namespace lumivane::ui {

struct StartFolder {
  std::string folder;   // absolute; "" when none is taken
  std::string problem;  // what the user is told when an argument is not taken
};

// `arguments` without the program's name. A relative path is taken from
// the current folder: ask before the program changes it.
StartFolder StartFolderOf(const std::vector<std::string>& arguments);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_START_FOLDER_H_
