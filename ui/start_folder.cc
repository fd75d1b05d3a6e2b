#include "ui/start_folder.h"

#include "engine/run/folder_scan.h"
#include "platform/file_system.h"

namespace lumivane::ui {

StartFolder StartFolderOf(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  if (arguments.size() > 1) {
    // Neither is opened: the user chooses, not the order of the arguments.
    std::string names;
    for (size_t i = 0; i < arguments.size() && i < 3; ++i) {
      names += (i == 0 ? "" : "、") + std::string(platform::LastName(arguments[i]));
    }
    if (arguments.size() > 3) names += " 等";
    return {"", "一次只能打开一个图片文件夹。这次给了 " + std::to_string(arguments.size()) +
                    " 个（" + names + "），都没有打开，请只选一个。"};
  }
  const std::string& given = arguments.front();
  const std::string path = given.empty() ? "" : platform::AbsolutePath(given);
  if (IsDirectory(path)) return {path, ""};
  if (platform::PathEntryExists(path)) {
    return {"", "“" + given + "”不是文件夹。请打开放商品图片的文件夹。"};
  }
  return {"", "找不到文件夹“" + given + "”。"};
}

}  // namespace lumivane::ui
