// The rotation of the announcement item: which text is shown and for how long.
#ifndef LUMIVANE_ANNOUNCE_ROTATION_H_
#define LUMIVANE_ANNOUNCE_ROTATION_H_

#include <atomic>
#include <chrono>
#include <string>

#include "announce/announcement_list.h"

namespace lumivane {

class AnnouncementRotation {
 public:
  explicit AnnouncementRotation(const AnnouncementList& list) : list_(list) {}

  int position() const { return position_.load(); }
  const std::string& CurrentText() const { return list_.texts[static_cast<size_t>(position())]; }
  const std::string& CurrentTarget() const {
    return list_.targets[static_cast<size_t>(position())];
  }
  // 6 s for a text shorter than 50 bytes (as stored, GBK), else 8 s.
  std::chrono::milliseconds CurrentWait() const;
  // Moves to the next text, wrapping; the new position is published in one step.
  void Advance();

 private:
  const AnnouncementList& list_;
  std::atomic<int> position_{0};
};

}  // namespace lumivane

#endif  // LUMIVANE_ANNOUNCE_ROTATION_H_
