// A run on a thread of its own, as the window starts it: the window asks
// it whether it still goes, and joins it before the port it was given goes.
#ifndef LUMIVANE_ENGINE_RUN_RUNNING_BATCH_H_
#define LUMIVANE_ENGINE_RUN_RUNNING_BATCH_H_

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "engine/picture/processing_settings.h"
#include "engine/run/batch_run.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

class RunningBatch {
 public:
  RunningBatch() = default;

  // BatchWorker on a new thread, which hands its outcome to `ended` as its
  // last step (still Active then); none when no thread can be made.
  static std::optional<RunningBatch> Start(WindowPort& port, const ProcessingSettings& settings,
                                           const RunRequest& request,
                                           std::function<void(const RunOutcome&)> ended);

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
