#include "engine/run/running_batch.h"

#include <system_error>

#include "engine/run/folder_watch.h"

namespace lumivane {

std::optional<RunningBatch> RunningBatch::Start(WindowPort& port,
                                                const ProcessingSettings& settings,
                                                const RunRequest& request,
                                                std::function<void(const RunOutcome&)> ended) {
  RunningBatch run;
  // Set before the thread exists, so that quitting right after the start
  // already asks first.
  run.active_ = std::make_shared<std::atomic<bool>>(true);
  try {
    run.thread_ = std::jthread([&port, settings, request, ended, active = run.active_] {
      const RunOutcome outcome = request.watch ? RunAndWatch(port, settings, request)
                                               : BatchWorker(port, settings, request);
      if (ended) ended(outcome);
      active->store(false);
    });
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  return run;
}

}  // namespace lumivane
