#include "announce/rotation.h"

#include "text/text_codec.h"

namespace lumivane {

std::chrono::milliseconds AnnouncementRotation::CurrentWait() const {
  return std::chrono::milliseconds(Utf8ToGbk(CurrentText()).size() < 50 ? 6000 : 8000);
}

void AnnouncementRotation::Advance() {
  const int next = position_.load() + 1;
  position_.store(next >= list_.count() ? 0 : next);
}

}  // namespace lumivane
