#include "announce/announcement_list.h"

#include "platform/file_system.h"
#include "text/text_codec.h"
#include "text/text_helpers.h"

namespace lumivane {

bool AnnouncementParser::Feed(std::string_view bytes) {
  for (char c : bytes) {
    if (stopped_) break;
    if (c == '\r') continue;
    if (c != '\n') {
      if (line_.size() < kMaxAnnouncementLineBytes) line_ += c;
      continue;
    }
    // Odd lines are texts, even lines their targets.
    auto& slots = texts_.size() == targets_.size() ? texts_ : targets_;
    if (static_cast<int>(slots.size()) == kMaxAnnouncements) {
      stopped_ = true;
      break;
    }
    slots.push_back(line_);
    line_.clear();
  }
  return !stopped_;
}

AnnouncementList AnnouncementParser::Finish() {
  // A text still waiting for its target takes what follows the last line feed.
  if (texts_.size() > targets_.size()) targets_.push_back(stopped_ ? std::string() : line_);
  AnnouncementList list;
  for (size_t i = 0; i < texts_.size(); ++i) {
    list.texts.push_back(GbkToUtf8(texts_[i]));
    list.targets.push_back(GbkToUtf8(targets_[i]));
    list.text_bytes.push_back(texts_[i].size());
  }
  return list;
}

AnnouncementList ParseAnnouncements(std::string_view bytes) {
  AnnouncementParser parser;
  parser.Feed(bytes);
  return parser.Finish();
}

std::optional<AnnouncementList> LoadAnnouncements(const std::string& path) {
  AnnouncementParser parser;
  if (!platform::ReadRegularFileInPieces(
          path, [&](std::string_view piece) { return parser.Feed(piece); })) {
    return std::nullopt;
  }
  return parser.Finish();
}

bool IsOpenableTarget(const std::string& target) {
  const std::string lower = AsciiLower(target);
  return (StartsWith(lower, "http://") && lower.size() > 7) ||
         (StartsWith(lower, "https://") && lower.size() > 8);
}

}  // namespace lumivane
