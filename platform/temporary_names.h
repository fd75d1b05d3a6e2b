// The files written beside their place, what every system has in common:
// their names, unmistakably ours and telling which machine and process
// writes each, and the list of those this process has open.
#ifndef LUMIVANE_PLATFORM_TEMPORARY_NAMES_H_
#define LUMIVANE_PLATFORM_TEMPORARY_NAMES_H_

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace lumivane::platform {

// A fresh temporary name in the folder of `path`, for process `process_id`.
std::string TemporaryNameFor(const std::string& path, long process_id);

// The writer's process id when `name` is one of our temporary names written
// on this machine; none for any other name.
std::optional<long> OurTemporaryWriter(std::string_view name);

// The machine's name as the system gives it, with only what cannot be
// mistaken for a temporary name's other parts ("localhost" for none).
std::string PlainHostName(std::string name);

// The temporary files this process has open at this moment, and the lock
// that registers one as it is created.
std::mutex& PendingMutex();
std::set<std::string>& PendingTemporaries();

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_TEMPORARY_NAMES_H_
