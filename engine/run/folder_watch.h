// A folder that processes itself: once a run is done, the source folder is
// watched, and every picture that arrives or changes is processed once its
// writing has ended (nothing in the folder changed for two seconds), into
// the same target with the same journal, until the run is stopped. The
// window and the command line watch alike.
#ifndef LUMIVANE_ENGINE_RUN_FOLDER_WATCH_H_
#define LUMIVANE_ENGINE_RUN_FOLDER_WATCH_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "engine/run/batch_run.h"
#include "engine/run/window_port.h"

namespace lumivane {

// Each file of the folder (and below it, with `subfolders`) outside
// `target`: its size and times of change.
using FolderState = std::map<std::string, std::tuple<std::uint64_t, std::int64_t, std::int64_t>>;
FolderState StateOf(const std::string& source, bool subfolders, const std::string& target);

// Waits until the folder differs from `last` and has then stayed the same
// for `still`; `last` becomes it. False when `stop` was set meanwhile.
bool WaitForSettledChange(const std::string& source, bool subfolders, const std::string& target,
                          FolderState& last, const std::atomic<bool>& stop,
                          std::chrono::milliseconds still = std::chrono::seconds(2));

// Rounds of the run over what arrived or changed after `first` (the run
// before them), until the request's stop is set: each leaves what earlier
// rounds made (the journal tells it) and replaces the outputs of a picture
// that changed (the overwrite question is answered yes, the 完成 question
// not asked). `after_round`, when given, is called after each. The last
// round's outcome; `first` when none ran or the first run did not finish.
RunOutcome WatchRounds(WindowPort& port, RunRequest request, const ProcessingSettings& settings,
                       RunOutcome first, const std::function<void()>& after_round = nullptr);

// The run, then its rounds (the window's 监视文件夹): the 完成 question is
// not asked, the watch goes on.
RunOutcome RunAndWatch(WindowPort& port, const ProcessingSettings& settings,
                       const RunRequest& request);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_FOLDER_WATCH_H_
