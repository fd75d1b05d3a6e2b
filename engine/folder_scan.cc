#include "engine/folder_scan.h"

#include <algorithm>
#include <set>

#include "platform/file_system.h"
#include "text/natural_order.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// A folder's entries sorted by name as a file manager shows them, so that
// the order of processing, of the log and of the questions is the one the
// user sees.
std::optional<std::vector<platform::DirEntry>> SortedEntries(const std::string& folder) {
  auto entries = platform::ListDirectory(folder);
  if (entries) {
    std::sort(entries->begin(), entries->end(),
              [](const auto& a, const auto& b) { return NaturalLess(a.name, b.name); });
  }
  return entries;
}

void ListInto(const std::string& folder, StringList& list, bool recursive,
              std::set<platform::FileIdentity>& seen) {
  auto entries = SortedEntries(folder);
  if (!entries) return;
  for (const auto& entry : *entries) {
    if (!entry.is_directory || StartsWith(entry.name, ".") || entry.name.empty()) continue;
    std::string path = platform::JoinPath(folder, entry.name);
    auto id = platform::IdentifyDirectory(path);
    if (!id || !seen.insert(*id).second) continue;  // a link back into the tree
    StringListAppend(list, path);
    if (recursive) ListInto(path, list, recursive, seen);
  }
}

bool IsPictureName(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = AsciiLower(std::string_view(name).substr(dot));
  return ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".bmp";
}

}  // namespace

void ListSubfolders(const std::string& folder, StringList& list, bool recursive) {
  std::set<platform::FileIdentity> seen;
  if (auto id = platform::IdentifyDirectory(folder)) seen.insert(*id);
  ListInto(folder, list, recursive, seen);
}

std::optional<StringList> ListPictureFiles(const std::string& folder) {
  auto entries = SortedEntries(folder);
  if (!entries) return std::nullopt;
  StringList list = StringListNew();
  for (const auto& entry : *entries) {
    if (!entry.is_directory && IsPictureName(entry.name)) StringListAppend(list, entry.name);
  }
  return list;
}

bool IsDirectory(const std::string& path) { return platform::PathIsDirectory(path); }

bool FileExists(const std::string& path) { return platform::CanOpenForReading(path); }

std::string DefaultTargetFolder(const std::string& source) {
  // "dir/" and "." name the folder itself: the suffix must follow its name,
  // or the target would land inside the source.
  const std::string base = platform::AbsolutePath(source) + "_处理后";
  std::string candidate = base;
  for (int n = 2; IsDirectory(candidate); ++n) candidate = base + std::to_string(n);
  return candidate;
}

}  // namespace lumivane
