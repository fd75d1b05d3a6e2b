#include "engine/run/folder_scan.h"

#include <algorithm>
#include <set>
#include <vector>

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

struct Walk {
  std::string root, avoid;
  bool recursive;
  std::set<platform::FileIdentity> seen;
  FoldersLeftOut left_out;
  // Links are followed after every folder reached by its own name: a
  // folder is listed under its own name, the link is the duplicate.
  std::vector<std::string> links;
};

// A link stays when it leads to a folder inside the tree and not into the
// outputs: followed anywhere, "up -> .." would nest the outputs on every run.
bool LinkStays(const std::string& path, const Walk& walk) {
  if (!FolderLiesWithin(path, walk.root)) return false;
  return walk.avoid.empty() ||
         (!SameFolder(path, walk.avoid) && !FolderLiesWithin(path, walk.avoid));
}

void Enter(const std::string& path, StringList& list, Walk& walk);

void ListInto(const std::string& folder, StringList& list, Walk& walk) {
  auto entries = SortedEntries(folder);
  if (!entries) return;
  for (const auto& entry : *entries) {
    if (!entry.is_directory || entry.name.empty()) continue;
    if (StartsWith(entry.name, ".")) {  // a system's or a program's own, not the seller's
      ++walk.left_out.hidden;
      continue;
    }
    std::string path = platform::JoinPath(folder, entry.name);
    if (path.size() > platform::kMaxPathBytes) {
      walk.left_out.too_long.push_back(std::move(path));
      continue;
    }
    if (entry.is_link) {
      (LinkStays(path, walk) ? walk.links : walk.left_out.links).push_back(std::move(path));
      continue;
    }
    Enter(path, list, walk);
  }
}

void Enter(const std::string& path, StringList& list, Walk& walk) {
  auto id = platform::IdentifyDirectory(path);
  if (!id || !walk.seen.insert(*id).second) return;  // reached before
  StringListAppend(list, path);
  if (walk.recursive) ListInto(path, list, walk);
}

bool IsPictureName(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = AsciiLower(std::string_view(name).substr(dot));
  // The seed's four, and what phones and shop pages save (a GIF's first
  // frame); the reader goes by what a file holds, whatever its name.
  static const std::set<std::string> kExtensions = {".jpg", ".jpeg", ".jfif", ".jpe",  ".png",
                                                    ".bmp", ".heic", ".heif", ".webp", ".avif",
                                                    ".tif", ".tiff", ".gif"};
  return kExtensions.count(ext) > 0;
}

}  // namespace

void ListSubfolders(const std::string& folder, StringList& list, bool recursive,
                    const std::string& avoid, FoldersLeftOut* left_out) {
  Walk walk{folder, avoid, recursive, {}, {}, {}};
  if (auto id = platform::IdentifyDirectory(folder)) walk.seen.insert(*id);
  ListInto(folder, list, walk);
  for (size_t i = 0; i < walk.links.size(); ++i) Enter(std::string(walk.links[i]), list, walk);
  if (left_out) *left_out = std::move(walk.left_out);
}

std::optional<StringList> ListPictureFiles(const std::string& folder, int* passed_over) {
  auto entries = SortedEntries(folder);
  if (!entries) return std::nullopt;
  StringList list = StringListNew();
  for (const auto& entry : *entries) {
    if (entry.is_directory) continue;
    if (IsPictureName(entry.name)) {
      StringListAppend(list, entry.name);
    } else if (passed_over != nullptr) {
      ++*passed_over;
    }
  }
  return list;
}

bool IsDirectory(const std::string& path) { return platform::PathIsDirectory(path); }

bool SameFolder(const std::string& a, const std::string& b) {
  const auto id = platform::IdentifyDirectory(a);
  return id && id == platform::IdentifyDirectory(b);
}

bool FolderLiesWithin(const std::string& inner, const std::string& outer) {
  const auto id = platform::IdentifyDirectory(outer);
  if (!id) return false;
  const auto above = platform::IdentifyFoldersAbove(inner);
  return std::find(above.begin(), above.end(), *id) != above.end();
}

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
