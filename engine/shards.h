// A job split over several processes or machines, and a job resumed.
#ifndef LUMIVANE_ENGINE_SHARDS_H_
#define LUMIVANE_ENGINE_SHARDS_H_

#include <string>
#include <string_view>

namespace lumivane {

// Whether the picture at `relative_path` (below the source folder) belongs
// to shard `index` of `count`: by a hash of the path's bytes that is the
// same on every machine, so that shards started anywhere share the job out
// without overlap.
bool InShard(std::string_view relative_path, int index, int count);

// Whether a resumed run may leave the picture alone: its output (or the
// first part of it) is a complete JPEG, changed after the source was.
bool OutputIsDone(const std::string& source, const std::string& output, bool sliced);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_SHARDS_H_
