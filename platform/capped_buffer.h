// Bytes that arrive in pieces, kept up to a fixed size; what comes after
// is dropped.
#ifndef LUMIVANE_PLATFORM_CAPPED_BUFFER_H_
#define LUMIVANE_PLATFORM_CAPPED_BUFFER_H_

#include <string>
#include <string_view>

namespace lumivane::platform {

class CappedBuffer {
 public:
  explicit CappedBuffer(size_t cap) : cap_(cap) {}
  size_t room() const { return cap_ - bytes_.size(); }
  bool full() const { return bytes_.size() >= cap_; }
  void Append(std::string_view piece) { bytes_.append(piece.substr(0, room())); }
  const std::string& bytes() const { return bytes_; }

 private:
  size_t cap_;
  std::string bytes_;
};

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_CAPPED_BUFFER_H_
