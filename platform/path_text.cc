// Paths as text: the same on every system but for which characters part
// folder from name.
#include <string>
#include <string_view>

#include "platform/file_system.h"

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

}  // namespace lumivane::platform
