// One memory budget shared by the pictures in flight: a picture states
// what its decoding needs before any pixel is decoded and waits until that
// fits beside the others, so a large picture waits for room instead of
// failing, and a whole run stays within the budget.
#ifndef LUMIVANE_ENGINE_MEMORY_BUDGET_H_
#define LUMIVANE_ENGINE_MEMORY_BUDGET_H_

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace lumivane {

class MemoryBudget {
 public:
  explicit MemoryBudget(std::uint64_t capacity) : capacity_(capacity) {}
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  // Holds its bytes until destroyed.
  class Ticket {
   public:
    Ticket(MemoryBudget* budget, std::uint64_t bytes) : budget_(budget), bytes_(bytes) {}
    Ticket(Ticket&& other) noexcept : budget_(other.budget_), bytes_(other.bytes_) {
      other.budget_ = nullptr;
    }
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    Ticket& operator=(Ticket&&) = delete;
    ~Ticket();

   private:
    MemoryBudget* budget_;
    std::uint64_t bytes_;
  };

  // Waits until `bytes` fit; none when they exceed the whole budget.
  std::optional<Ticket> Acquire(std::uint64_t bytes);
  std::uint64_t capacity() const { return capacity_; }
  std::uint64_t used();

  // The budget of every picture of the process. It is also the most one
  // picture may need: a 100-megapixel photograph fits, a decompression
  // bomb does not.
  static MemoryBudget& ForPictures();

 private:
  void Release(std::uint64_t bytes);

  const std::uint64_t capacity_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::uint64_t used_ = 0;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_MEMORY_BUDGET_H_
