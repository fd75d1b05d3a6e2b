// A run on a thread of its own, as the window starts it: the window asks
// it whether it still goes, and joins it before the port or the settings
// it was given go.
#ifndef LUMIVANE_ENGINE_RUN_RUNNING_BATCH_H_
#define LUMIVANE_ENGINE_RUN_RUNNING_BATCH_H_

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "engine/picture/processing_settings.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

class RunningBatch {
 public:
  RunningBatch() = default;

  // BatchWorker on a new thread; none when no thread can be made.
  static std::optional<RunningBatch> Start(WindowPort& port, ProcessingSettings& settings,
                                           const RunRequest& request);

  // From the start to the run's last step.
  bool Active() const { return active_ != nullptr && active_->load(); }
  bool Joinable() const { return thread_.joinable(); }
  void Join() { thread_.join(); }

 private:
  // Shared with the thread, which clears it as its last step.
  std::shared_ptr<std::atomic<bool>> active_;
  std::jthread thread_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RUNNING_BATCH_H_
