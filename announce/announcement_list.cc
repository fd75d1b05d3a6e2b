#include "announce/announcement_list.h"

#include "text/text_codec.h"
#include "text/text_helpers.h"
#include "platform/file_system.h"

namespace lumivane {

AnnouncementList ParseAnnouncements(std::string_view bytes) {
  std::vector<std::string> texts, targets;
  std::string line;
  bool stopped = false;
  for (char c : bytes) {
    if (c == '\r') continue;
    if (c != '\n') {
      if (line.size() < kMaxAnnouncementLineBytes) line += c;
      continue;
    }
    // Odd lines are texts, even lines their targets.
    auto& slots = texts.size() == targets.size() ? texts : targets;
    if (static_cast<int>(slots.size()) == kMaxAnnouncements) {
      stopped = true;
      break;
    }
    slots.push_back(line);
    line.clear();
  }
  // A text still waiting for its target takes what follows the last line feed.
  if (texts.size() > targets.size()) targets.push_back(stopped ? std::string() : line);
  AnnouncementList list;
  for (size_t i = 0; i < texts.size(); ++i) {
    list.texts.push_back(GbkToUtf8(texts[i]));
    list.targets.push_back(GbkToUtf8(targets[i]));
  }
  return list;
}

std::optional<AnnouncementList> LoadAnnouncements(const std::string& path) {
  auto bytes = platform::ReadRegularFile(path, 1 << 20);
  if (!bytes) return std::nullopt;
  return ParseAnnouncements(*bytes);
}

bool IsOpenableTarget(const std::string& target) {
  const std::string lower = AsciiLower(target);
  return (StartsWith(lower, "http://") && lower.size() > 7) ||
         (StartsWith(lower, "https://") && lower.size() > 8);
}

}  // namespace lumivane
