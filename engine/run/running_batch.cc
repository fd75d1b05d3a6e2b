#include "engine/run/running_batch.h"

#include <system_error>

#include "engine/run/batch_run.h"

namespace lumivane {

std::optional<RunningBatch> RunningBatch::Start(WindowPort& port, ProcessingSettings& settings,
                                                const RunRequest& request) {
  RunningBatch run;
  // Set before the thread exists, so that quitting right after the start
  // already asks first.
  run.active_ = std::make_shared<std::atomic<bool>>(true);
  try {
    run.thread_ = std::jthread([&port, &settings, request, active = run.active_] {
      BatchWorker(port, settings, request);
      active->store(false);
    });
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  return run;
}

}  // namespace lumivane
