#include "engine/picture/rename_list.h"

#include "platform/file_system.h"
#include "text/text_codec.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// A list of items is small; anything larger is not one.
constexpr std::uint64_t kLargestList = 16 << 20;

// One line's fields: tab-separated when it holds a tab, else comma-
// separated; a field in double quotes may hold the separator and "".
std::vector<std::string> Fields(const std::string& line) {
  const char separator = line.find('\t') != std::string::npos ? '\t' : ',';
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"' && (quoted || TrimSpaces(fields.back()).empty())) {
      quoted = !quoted;
    } else if (c == separator && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  for (std::string& f : fields) f = TrimSpaces(f);
  return fields;
}

std::string WithoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

std::optional<RenameList> RenameList::Read(const std::string& path, std::string& why) {
  auto bytes = platform::ReadRegularFile(path, kLargestList);
  if (!bytes) {
    why = "读不到改名清单 " + path;
    return std::nullopt;
  }
  std::string text = std::move(*bytes);
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  // A spreadsheet here saves GBK unless told otherwise.
  if (!IsValidUtf8(text)) text = GbkToUtf8(text);
  RenameList list;
  int number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> fields = Fields(line);
    if (fields.front().empty()) continue;
    std::string name = fields.size() > 1 ? fields[1] : "";
    // A name holds no folder: such a line names nothing.
    if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") name.clear();
    std::string given = fields.front();
    for (char& c : given) c = c == '\\' ? '/' : c;
    if (!name.empty()) list.named_.try_emplace(given, list.lines_.size());
    list.lines_.push_back({number, std::move(given), std::move(name)});
  }
  if (list.lines_.empty()) {
    why = "改名清单 " + path + " 里没有内容";
    return std::nullopt;
  }
  return list;
}

const RenameListLine* RenameList::Find(const std::string& below_source) const {
  const std::string name(platform::LastName(below_source));
  for (const std::string& key : {below_source, name, WithoutExtension(name)}) {
    if (const auto it = named_.find(key); it != named_.end()) return &lines_[it->second];
  }
  return nullptr;
}

std::string CheckRenameList(const std::string& path, bool for_window) {
  std::string why;
  if (RenameList::Read(path, why)) return "";
  return for_window ? why : "cannot read a list of names from " + path;
}

}  // namespace lumivane
