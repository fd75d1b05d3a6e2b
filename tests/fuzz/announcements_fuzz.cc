// The announcement list reader: any "res.dat" gives at most ten pairs, and
// every target that would be opened is a web address.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "announce/announcement_list.h"
#include "text/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace lumivane;
  const auto list = ParseAnnouncements(std::string_view(reinterpret_cast<const char*>(data), size));
  if (list.count() > kMaxAnnouncements || list.texts.size() != list.targets.size()) std::abort();
  for (const auto& target : list.targets) {
    if (!IsOpenableTarget(target)) continue;
    const std::string lower = AsciiLower(target);
    if (!StartsWith(lower, "http://") && !StartsWith(lower, "https://")) std::abort();
  }
  return 0;
}
