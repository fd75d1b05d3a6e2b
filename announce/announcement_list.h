// The announcement list: up to ten texts, each with a target to open,
// read from "res.dat" (GBK, alternating text and target lines).
#ifndef LUMIVANE_ANNOUNCE_ANNOUNCEMENT_LIST_H_
#define LUMIVANE_ANNOUNCE_ANNOUNCEMENT_LIST_H_

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

inline constexpr char kAnnouncementFile[] = "res.dat";
inline constexpr int kMaxAnnouncements = 10;
inline constexpr size_t kMaxAnnouncementLineBytes = 255;

struct AnnouncementList {
  std::vector<std::string> texts;    // UTF-8, for display
  std::vector<std::string> targets;  // same index as the text; may be empty
  std::vector<size_t> text_bytes;    // each text's length as stored (GBK)
  int count() const { return static_cast<int>(texts.size()); }
};

// Reads "res.dat" piece by piece: CR bytes are dropped wherever they
// stand, lines are cut to 255 bytes, and the reading stops once ten pairs
// are complete, however long the file is.
class AnnouncementParser {
 public:
  // False once the list is complete: nothing more is needed.
  bool Feed(std::string_view bytes);
  AnnouncementList Finish();

 private:
  std::vector<std::string> texts_, targets_;
  std::string line_;
  bool stopped_ = false;
};

// The list held by the bytes of a "res.dat" file.
AnnouncementList ParseAnnouncements(std::string_view file_bytes);

// None when the file cannot be opened.
std::optional<AnnouncementList> LoadAnnouncements(const std::string& path);

// Only web addresses are ever opened: the list arrives unauthenticated.
bool IsOpenableTarget(const std::string& target);

}  // namespace lumivane

#endif  // LUMIVANE_ANNOUNCE_ANNOUNCEMENT_LIST_H_
