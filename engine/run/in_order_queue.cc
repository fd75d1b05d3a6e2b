#include "engine/run/in_order_queue.h"

#include <utility>

namespace lumivane {

void InOrderQueue::Submit(Item item, PicturePool::Job job) {
  const int index = pool_.Submit(std::move(job));
  pending_.push_back({std::move(item), index, {}, 0});
}

void InOrderQueue::Decided(Item item, PictureResult result) {
  pending_.push_back({std::move(item), -1, std::move(result), 0});
}

void InOrderQueue::FolderEnd(int step) { pending_.push_back({std::nullopt, -1, {}, step}); }

void InOrderQueue::Tell(bool all, const Teller& teller) {
  while (!pending_.empty()) {
    Pending& next = pending_.front();
    const bool waiting = next.item && next.job >= 0 && !pool_.Done(next.job);
    if (waiting && !all) return;
    if (!next.item) {
      teller.folder_end(next.folder_step);
    } else {
      teller.picture(*next.item, next.job >= 0 ? pool_.Take(next.job) : std::move(next.decided));
    }
    pending_.pop_front();
  }
}

}  // namespace lumivane
