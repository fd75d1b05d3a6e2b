#include "engine/picture/memory_budget.h"

namespace lumivane {

MemoryBudget::Ticket::~Ticket() {
  if (budget_) budget_->Release(bytes_, pinned_);
}

void MemoryBudget::Ticket::Pin() {
  if (!budget_ || pinned_) return;
  pinned_ = true;
  {
    std::lock_guard lock(budget_->mutex_);
    budget_->pinned_ += bytes_;
  }
  // Those waiting for more than is left unpinned give up.
  budget_->freed_.notify_all();
}

bool MemoryBudget::Ticket::TryGrow(std::uint64_t bytes) {
  if (!budget_ || pinned_ || !budget_->TryTake(bytes)) return false;
  bytes_ += bytes;
  return true;
}

void MemoryBudget::Ticket::ShrinkTo(std::uint64_t bytes) {
  if (!budget_ || bytes >= bytes_) return;
  budget_->Release(bytes_ - bytes, pinned_);
  bytes_ = bytes;
}

bool MemoryBudget::TryTake(std::uint64_t bytes) {
  std::lock_guard lock(mutex_);
  if (capacity_ - used_ < bytes) return false;
  used_ += bytes;
  return true;
}

std::optional<MemoryBudget::Ticket> MemoryBudget::Acquire(std::uint64_t bytes) {
  std::unique_lock lock(mutex_);
  auto fits = [&] { return capacity_ - used_ >= bytes; };
  if (!wait_ && !fits()) return std::nullopt;
  freed_.wait(lock, [&] { return fits() || bytes > capacity_ - pinned_; });
  if (bytes > capacity_ - pinned_) return std::nullopt;
  used_ += bytes;
  return std::optional<Ticket>(std::in_place, this, bytes);
}

std::uint64_t MemoryBudget::used() {
  std::lock_guard lock(mutex_);
  return used_;
}

std::uint64_t MemoryBudget::Room() {
  std::lock_guard lock(mutex_);
  return capacity_ - pinned_;
}

void MemoryBudget::Release(std::uint64_t bytes, bool pinned) {
  {
    std::lock_guard lock(mutex_);
    used_ -= bytes;
    if (pinned) pinned_ -= bytes;
  }
  freed_.notify_all();
}

MemoryBudget& MemoryBudget::ForPictures() {
  static MemoryBudget budget(768ull << 20);
  return budget;
}

}  // namespace lumivane
