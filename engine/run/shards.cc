#include "engine/run/shards.h"

namespace lumivane {

std::uint64_t StableHash(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

bool InShard(std::string_view relative_path, int index, int count) {
  if (count <= 1) return true;
  // Fixed, so the share does not depend on the build or the host.
  return static_cast<int>(StableHash(relative_path) % static_cast<std::uint64_t>(count)) == index;
}

StringList ShardShare(const StringList& files, const std::string& below, int index, int count) {
  StringList share = StringListNew();
  for (const std::string& name : files.items) {
    const std::string relative = below.empty() ? name : below.substr(1) + "/" + name;
    if (count <= 1 || InShard(relative, index, count)) StringListAppend(share, name);
  }
  return share;
}

std::string ShardNameOf(int index, int count) {
  if (count <= 1) return "";
  return std::to_string(index) + "-of-" + std::to_string(count);
}

}  // namespace lumivane
