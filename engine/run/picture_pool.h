// A fixed set of threads that process pictures. At most one job per
// thread is queued or running, so memory stays bounded by the pool size;
// outcomes are taken back in submission order.
#ifndef LUMIVANE_ENGINE_RUN_PICTURE_POOL_H_
#define LUMIVANE_ENGINE_RUN_PICTURE_POOL_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/picture/picture_ops.h"

namespace lumivane {

class PicturePool {
 public:
  // The job gets the number of the thread that runs it (0..workers-1).
  using Job = std::function<PictureResult(int worker)>;

  explicit PicturePool(int workers);
  ~PicturePool();  // finishes what was submitted
  PicturePool(const PicturePool&) = delete;
  PicturePool& operator=(const PicturePool&) = delete;

  int workers() const { return static_cast<int>(threads_.size()); }
  // Waits while every thread has a job; returns the job's number.
  int Submit(Job job);
  bool Done(int index);
  // Waits for the job and hands its outcome over (once).
  PictureResult Take(int index);

  // Threads a pool gets when the caller does not say: one per core.
  static int DefaultWorkers();

 private:
  void Work(int worker);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<int, Job>> queue_;
  std::map<int, PictureResult> finished_;
  int busy_ = 0;
  int next_index_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_PICTURE_POOL_H_
