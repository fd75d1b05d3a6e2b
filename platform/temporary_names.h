// The names of the files written beside their place: unmistakably ours,
// and telling which machine and process writes each.
#ifndef LUMIVANE_PLATFORM_TEMPORARY_NAMES_H_
#define LUMIVANE_PLATFORM_TEMPORARY_NAMES_H_

#include <optional>
#include <string>
#include <string_view>

namespace lumivane::platform {

// A fresh temporary name in the folder of `path`, for process `process_id`.
std::string TemporaryNameFor(const std::string& path, long process_id);

// The writer's process id when `name` is one of our temporary names written
// on this machine; none for any other name.
std::optional<long> OurTemporaryWriter(std::string_view name);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_TEMPORARY_NAMES_H_
