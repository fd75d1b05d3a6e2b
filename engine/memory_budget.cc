#include "engine/memory_budget.h"

namespace lumivane {

MemoryBudget::Ticket::~Ticket() {
  if (budget_) budget_->Release(bytes_);
}

std::optional<MemoryBudget::Ticket> MemoryBudget::Acquire(std::uint64_t bytes) {
  if (bytes > capacity_) return std::nullopt;
  std::unique_lock lock(mutex_);
  freed_.wait(lock, [&] { return capacity_ - used_ >= bytes; });
  used_ += bytes;
  return std::optional<Ticket>(std::in_place, this, bytes);
}

std::uint64_t MemoryBudget::used() {
  std::lock_guard lock(mutex_);
  return used_;
}

void MemoryBudget::Release(std::uint64_t bytes) {
  {
    std::lock_guard lock(mutex_);
    used_ -= bytes;
  }
  freed_.notify_all();
}

MemoryBudget& MemoryBudget::ForPictures() {
  static MemoryBudget budget(640ull << 20);
  return budget;
}

}  // namespace lumivane
