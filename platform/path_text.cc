// Paths as text, the same on every system but for which characters part
// folder from name, and the walk down to a folder to make.
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/folder_step.h"

namespace lumivane::platform {
namespace {
#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";  // the system takes both
#else
constexpr std::string_view kSeparators = "/";
#endif
}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  out += kPathSeparator;
  out += name;
  return out;
}

std::string_view LastName(std::string_view path) {
  const size_t at = path.find_last_of(kSeparators);
  return at == std::string_view::npos ? path : path.substr(at + 1);
}

std::string_view FolderOf(std::string_view path) {
  const size_t at = path.find_last_of(kSeparators);
  return at == std::string_view::npos ? std::string_view() : path.substr(0, at);
}

FolderMade MakeFolderBelow(const std::string& base, const std::string& below) {
  std::string path = base;
  size_t start = 0;
  while (start < below.size()) {
    size_t end = below.find(kPathSeparator, start);
    if (end == std::string::npos) end = below.size();
    const std::string_view name = std::string_view(below).substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    path = JoinPath(path, name);
    if (const FolderMade step = MakeFolderStep(path); step != FolderMade::kReady) return step;
  }
  return PathIsDirectory(path) ? FolderMade::kReady : FolderMade::kFailed;
}

}  // namespace lumivane::platform
