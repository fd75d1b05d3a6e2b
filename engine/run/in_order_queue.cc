#include "engine/run/in_order_queue.h"

#include <utility>

namespace lumivane {

void InOrderQueue::Submit(Item item, PicturePool::Job job) {
  const int index = pool_.Submit(std::move(job));
  pending_.push_back({std::move(item), index, {}, 0});
}

void InOrderQueue::SubmitGroup(std::vector<Item> items, GroupJob job) {
  auto group = std::make_shared<Group>();
  const size_t count = items.size();
  const int index = pool_.Submit([group, job = std::move(job), count](int worker) {
    group->results = job(worker);
    group->results.resize(count);  // a job that gave fewer: those not made
    return PictureResult{};
  });
  for (size_t i = 0; i < count; ++i) {
    pending_.push_back({std::move(items[i]), index, {}, 0, group, i});
  }
}

void InOrderQueue::Decided(Item item, PictureResult result) {
  pending_.push_back({std::move(item), -1, std::move(result), 0});
}

void InOrderQueue::FolderEnd(int step) { pending_.push_back({std::nullopt, -1, {}, step}); }

void InOrderQueue::Tell(bool all, const Teller& teller) {
  while (!pending_.empty()) {
    Pending& next = pending_.front();
    const bool in_pool = next.job >= 0 && !(next.group && next.group->taken);
    if (next.item && in_pool && !pool_.Done(next.job) && !all) return;
    if (!next.item) {
      teller.folder_end(next.folder_step);
    } else if (next.group) {
      if (!next.group->taken) pool_.Take(next.job);
      next.group->taken = true;
      teller.picture(*next.item, std::move(next.group->results[next.in_group]));
    } else {
      teller.picture(*next.item, next.job >= 0 ? pool_.Take(next.job) : std::move(next.decided));
    }
    pending_.pop_front();
  }
}

}  // namespace lumivane
