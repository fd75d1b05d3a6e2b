#include "engine/picture/processing_settings.h"

#include <array>

#include "engine/picture/choice_table.h"

namespace lumivane {
namespace {

constexpr std::array<int, kQualityChoices> kQuality = {100, 95, 90, 85, 80, 75, 70, 65, 60, 55, 50};
// The centred choice is listed first but is code 2.
constexpr std::array<int, kPositionChoices> kDirection = {kCentred, kNearEdge, kFarEdge};
constexpr std::array<float, kOpacityChoices> kOpacity = {1.0f, 0.9f, 0.8f, 0.7f, 0.6f,
                                                         0.5f, 0.4f, 0.3f, 0.2f, 0.1f};

}  // namespace

int QualityFor(int position) { return Lookup(kQuality, position); }
int HorizontalDirectionFor(int position) { return Lookup(kDirection, position); }

bool MarksShareAPlace(const ProcessingSettings& s) {
  return s.sy_text_w_direction == s.sy_image_w_direction &&
         s.sy_text_h_direction == s.sy_image_h_direction &&
         s.sy_text_w_value == s.sy_image_w_value && s.sy_text_h_value == s.sy_image_h_value;
}
int VerticalDirectionFor(int position) { return Lookup(kDirection, position); }
float OpacityFor(int position) { return Lookup(kOpacity, position); }

std::optional<int> QualityPosition(int quality) { return PositionOf(kQuality, quality); }
std::optional<int> OpacityPosition(int percent) {
  for (int i = 0; i < kOpacityChoices; ++i) {
    if (static_cast<int>(kOpacity[static_cast<size_t>(i)] * 100 + 0.5f) == percent) return i;
  }
  return std::nullopt;
}

}  // namespace lumivane
