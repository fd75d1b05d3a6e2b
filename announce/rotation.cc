#include "announce/rotation.h"

namespace lumivane {

std::chrono::milliseconds AnnouncementRotation::CurrentWait() const {
  return std::chrono::milliseconds(list_.text_bytes[static_cast<size_t>(position())] < 50 ? 6000
                                                                                          : 8000);
}

void AnnouncementRotation::Advance() {
  const int next = position_.load() + 1;
  position_.store(next >= list_.count() ? 0 : next);
}

}  // namespace lumivane
