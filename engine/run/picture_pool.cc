#include "engine/run/picture_pool.h"

#include <algorithm>

namespace lumivane {

int PicturePool::DefaultWorkers() {
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

PicturePool::PicturePool(int workers) {
  for (int i = 0; i < std::max(1, workers); ++i) threads_.emplace_back([this, i] { Work(i); });
}

PicturePool::~PicturePool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (auto& t : threads_) t.join();
}

int PicturePool::Submit(Job job) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return busy_ + static_cast<int>(queue_.size()) < workers(); });
  const int index = next_index_++;
  queue_.emplace_back(index, std::move(job));
  changed_.notify_all();
  return index;
}

bool PicturePool::Done(int index) {
  std::lock_guard lock(mutex_);
  return finished_.count(index) > 0;
}

PictureResult PicturePool::Take(int index) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return finished_.count(index) > 0; });
  PictureResult result = std::move(finished_[index]);
  finished_.erase(index);
  return result;
}

void PicturePool::Work(int worker) {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and nothing left
    auto [index, job] = std::move(queue_.front());
    queue_.pop_front();
    ++busy_;
    lock.unlock();
    PictureResult result = job(worker);
    lock.lock();
    --busy_;
    finished_[index] = std::move(result);
    changed_.notify_all();
  }
}

}  // namespace lumivane
