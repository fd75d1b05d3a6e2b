// A system handle closed when its owner goes.
#ifndef LUMIVANE_PLATFORM_WINDOWS_HANDLE_H_
#define LUMIVANE_PLATFORM_WINDOWS_HANDLE_H_

#include <windows.h>

#include <utility>

namespace lumivane::platform {

class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  OwnedHandle(OwnedHandle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    std::swap(h_, other.h_);
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() { Close(); }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }
  void Close() {
    if (valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_WINDOWS_HANDLE_H_
