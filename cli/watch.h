// --watch: once the run is done, the source folder is watched, and every
// picture that arrives or changes is processed once its writing has ended
// (nothing in the folder changed for two seconds), until interrupted.
#ifndef LUMIVANE_CLI_WATCH_H_
#define LUMIVANE_CLI_WATCH_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "engine/run/batch_run.h"

namespace lumivane::cli {

// Each file of the folder (and below it, with `subfolders`) outside
// `target`: its size and times of change.
using FolderState = std::map<std::string, std::tuple<std::uint64_t, std::int64_t, std::int64_t>>;
FolderState StateOf(const std::string& source, bool subfolders, const std::string& target);

// Waits until the folder differs from `last` and has then stayed the same
// for `still`; `last` becomes it. False when `stop` was set meanwhile.
bool WaitForSettledChange(const std::string& source, bool subfolders, const std::string& target,
                          FolderState& last, const std::atomic<bool>& stop,
                          std::chrono::milliseconds still = std::chrono::seconds(2));

// Rounds of the run over what arrived or changed after `first`, until the
// request's stop is set: each leaves what earlier rounds made (the journal
// tells it) and replaces the outputs of a picture that changed. The last
// round's outcome; `first` when none ran.
RunOutcome WatchRounds(RunRequest request, const ProcessingSettings& settings, RunOutcome first,
                       bool terminal);

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_WATCH_H_
