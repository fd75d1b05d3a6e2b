#include "engine/run/tree_listing.h"

#include <set>

#include "engine/run/messages.h"
#include "platform/file_system.h"

namespace lumivane {
namespace {

bool OutputsWouldLandInSource(const std::string& source, const std::string& target,
                              const StringList& folders) {
  std::set<platform::FileIdentity> sources;
  for (const std::string& folder : folders.items) {
    if (auto id = platform::IdentifyDirectory(folder)) sources.insert(*id);
  }
  for (const std::string& folder : folders.items) {
    const auto id = platform::IdentifyDirectory(target + folder.substr(source.size()));
    if (id && sources.count(*id) > 0) return true;
  }
  return false;
}

}  // namespace

std::variant<TreeListing, Refusal> ListSourceTree(const std::string& source,
                                                  const std::string& target,
                                                  bool target_inside_source) {
  if (target_inside_source) return Refusal{msg::kTargetInsideSource, Field::kTarget};
  TreeListing listing{StringListNew(), {}};
  StringListAppend(listing.folders, source);
  ListSubfolders(source, listing.folders, true, target, &listing.left_out);
  if (OutputsWouldLandInSource(source, target, listing.folders)) {
    return Refusal{msg::kOutputIntoSource, Field::kTarget};
  }
  return listing;
}

}  // namespace lumivane
