#include "engine/shards.h"

#include <cstdint>

#include "engine/extra_operations.h"
#include "platform/file_system.h"

namespace lumivane {

bool InShard(std::string_view relative_path, int index, int count) {
  if (count <= 1) return true;
  // FNV-1a: fixed, so the share does not depend on the build or the host.
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : relative_path) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return static_cast<int>(hash % static_cast<std::uint64_t>(count)) == index;
}

bool OutputIsDone(const std::string& source, const std::string& output, bool sliced) {
  const std::string written =
      sliced && !platform::PathIsRegularFile(output) ? SlicePath(output, 1) : output;
  const auto written_at = platform::ModificationTimeNs(written);
  const auto source_at = platform::ModificationTimeNs(source);
  if (!written_at || !source_at || *written_at < *source_at) return false;
  // Outputs are written whole or not at all; a JPEG that does not end with
  // its end marker was put there by something else.
  const auto bytes = platform::ReadRegularFile(written, 256ull << 20);
  return bytes && bytes->size() >= 4 && bytes->compare(0, 2, "\xFF\xD8") == 0 &&
         bytes->compare(bytes->size() - 2, 2, "\xFF\xD9") == 0;
}

}  // namespace lumivane
