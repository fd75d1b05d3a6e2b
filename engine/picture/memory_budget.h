// One memory budget shared by the pictures in flight: a picture states
// what its decoding needs before any pixel is decoded and waits until that
// fits beside the others, so a large picture waits for room instead of
// failing, and a whole run stays within the budget.
#ifndef LUMIVANE_ENGINE_PICTURE_MEMORY_BUDGET_H_
#define LUMIVANE_ENGINE_PICTURE_MEMORY_BUDGET_H_

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace lumivane {

class MemoryBudget {
 public:
  // A budget that does not `wait` is one holder's own (a page's, shared
  // by the pictures it is made of, one at a time): a request that does not
  // fit at once is refused.
  explicit MemoryBudget(std::uint64_t capacity, bool wait = true)
      : capacity_(capacity), wait_(wait) {}
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  // Holds its bytes until destroyed.
  class Ticket {
   public:
    Ticket(MemoryBudget* budget, std::uint64_t bytes) : budget_(budget), bytes_(bytes) {}
    Ticket(Ticket&& other) noexcept
        : budget_(other.budget_), bytes_(other.bytes_), pinned_(other.pinned_) {
      other.budget_ = nullptr;
    }
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    Ticket& operator=(Ticket&&) = delete;
    ~Ticket();
    // Adds `bytes` when they fit at once; never waits (a holder that waited
    // could wait for another holder waiting for it).
    bool TryGrow(std::uint64_t bytes);
    std::uint64_t bytes() const { return bytes_; }
    // Gives back what is above `bytes` (what a reading needed for a while
    // and no longer holds).
    void ShrinkTo(std::uint64_t bytes);
    // Marks the bytes as held for long (a run's watermark picture): while
    // they are, a request that only their release could make fit is
    // refused rather than left waiting.
    void Pin();

   private:
    MemoryBudget* budget_;
    std::uint64_t bytes_;
    bool pinned_ = false;
  };

  // Waits until `bytes` fit; none when they exceed the budget less what
  // is pinned (or, for a budget that does not wait, when they do not fit
  // now). Only a caller that holds no ticket may wait.
  std::optional<Ticket> Acquire(std::uint64_t bytes);
  std::uint64_t capacity() const { return capacity_; }
  std::uint64_t used();
  // The most one request may have now: the budget less what is pinned.
  std::uint64_t Room();

  // The budget of every picture of the process (and of the watermark
  // picture of a run). It is also the most one picture may need: a
  // 100-megapixel photograph fits, progressive too, a decompression bomb
  // does not.
  static MemoryBudget& ForPictures();

 private:
  void Release(std::uint64_t bytes, bool pinned);
  bool TryTake(std::uint64_t bytes);

  const std::uint64_t capacity_;
  const bool wait_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::uint64_t used_ = 0;
  std::uint64_t pinned_ = 0;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_MEMORY_BUDGET_H_
