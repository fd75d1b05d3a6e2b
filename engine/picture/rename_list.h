// A seller's item list for naming outputs: lines of a picture's file name
// (with or without its extension, or its path below the source folder)
// and the name it is given, as a spreadsheet saves them - comma- or
// tab-separated, quoted or not, UTF-8 or GBK. Its names fill {list}.
#ifndef LUMIVANE_ENGINE_PICTURE_RENAME_LIST_H_
#define LUMIVANE_ENGINE_PICTURE_RENAME_LIST_H_

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace lumivane {

struct RenameListLine {
  int number;         // in the file, from 1
  std::string given;  // the picture as the line names it
  std::string name;   // "" when the line gives no usable name
};

class RenameList {
 public:
  // None when the file cannot be read or holds no line (`why` then says so,
  // in the window's words).
  static std::optional<RenameList> Read(const std::string& path, std::string& why);

  // The line naming the picture `below_source` ("sub/a.jpg"), by its path,
  // its file name, or its file name without the extension; none when no
  // line names it.
  const RenameListLine* Find(const std::string& below_source) const;
  const std::vector<RenameListLine>& lines() const { return lines_; }

 private:
  std::vector<RenameListLine> lines_;
  // The first line with a name for each way a picture is given.
  std::unordered_map<std::string, size_t> named_;
};

// The command line's and the dialog's check of a list: "" when it can be
// read.
std::string CheckRenameList(const std::string& path, bool for_window);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_RENAME_LIST_H_
