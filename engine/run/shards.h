// A job split over several processes or machines.
#ifndef LUMIVANE_ENGINE_RUN_SHARDS_H_
#define LUMIVANE_ENGINE_RUN_SHARDS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/run/string_list.h"

namespace lumivane {

// Whether the picture at `relative_path` (below the source folder) belongs
// to shard `index` of `count`: by a hash of the path's bytes that is the
// same on every machine, so that shards started anywhere share the job out
// without overlap.
bool InShard(std::string_view relative_path, int index, int count);

// The names of `files` (a folder `below` the source: "" or "/a/b") that
// are shard `index`'s share of `count`; all of them for a single process.
StringList ShardShare(const StringList& files, const std::string& below, int index, int count);

// A hash of the bytes that is the same on every machine and in every build
// (FNV-1a, 64 bits).
std::uint64_t StableHash(std::string_view bytes);

// "" for the whole job, else "K-of-N": in the journal's and the report's
// names.
std::string ShardNameOf(int index, int count);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_SHARDS_H_
