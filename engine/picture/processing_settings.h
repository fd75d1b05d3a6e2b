// The user's processing settings and the fixed tables that turn the
// positions of the window's choice boxes into processing values.
#ifndef LUMIVANE_ENGINE_PICTURE_PROCESSING_SETTINGS_H_
#define LUMIVANE_ENGINE_PICTURE_PROCESSING_SETTINGS_H_

#include <cstdint>
#include <optional>
#include <string>

namespace lumivane {

// The fields keep the names of config.dat's keys, which stored files
// rely on; where a name says less than it holds, its comment says it.
struct FontChoice {
  std::string sy_text_fontName;
  std::int32_t sy_text_fontSize = 0;
  // The text's one colour, 0x00BBGGRR (blue in the high byte, despite the
  // name); config.dat also holds it as the "#rrggbb" it prints.
  std::uint32_t sy_text_rgbColors = 0;
  std::int32_t sy_text_isItalic = 0;
  std::int32_t sy_text_isWeight = 0;  // bold: 1
  bool operator==(const FontChoice&) const = default;
};

// The text sizes the font dialog offers; a size read from elsewhere is
// brought into them (a text mask grows with the square of its size).
inline constexpr int kMinFontSize = 8;
inline constexpr int kMaxFontSize = 72;

// The width the window's width box takes, 1 to this; a watermark's margin
// 0 to this. Every front end checks them against these.
inline constexpr int kMaxWidth = 9999;
inline constexpr int kMaxMargin = 999;

// Positions are the selected entries of the window's choice boxes; the
// tables below give their meaning.
struct ProcessingSettings {
  std::int32_t width = 0;
  std::int32_t quanlity = 0;  // the quality list's position (QualityFor)
  std::string sy_text;
  std::int32_t sy_text_opacity = 0;  // the opacity list's position (OpacityFor)
  // Each axis: the position list's choice and the margin in pixels.
  std::int32_t sy_text_w_direction = 0;
  std::uint32_t sy_text_w_value = 0;
  std::int32_t sy_text_h_direction = 0;
  std::uint32_t sy_text_h_value = 0;
  FontChoice sy_text_font;
  std::string sy_image;
  std::int32_t sy_image_w_direction = 0;
  std::uint32_t sy_image_w_value = 0;
  std::int32_t sy_image_h_direction = 0;
  std::uint32_t sy_image_h_value = 0;
  bool operator==(const ProcessingSettings&) const = default;
};

// Direction codes of a watermark on one axis.
inline constexpr int kNearEdge = 1;  // left or top
inline constexpr int kCentred = 2;
inline constexpr int kFarEdge = 3;  // right or bottom

// Out-of-range positions are clamped into the table, so a hand-edited
// settings file cannot make a lookup read outside it.
int QualityFor(int position);              // 0..10 -> 100, 95, ... 50
int HorizontalDirectionFor(int position);  // 0..2 -> 2, 1, 3
int VerticalDirectionFor(int position);    // 0..2 -> 2, 1, 3
float OpacityFor(int position);            // 0..9 -> 1.0, 0.9, ... 0.1

// The position that gives a value typed elsewhere (a quality, an opacity
// in percent); none for a value the window does not offer.
// Both marks set to one place, the same corner and margins: the text is
// then laid beside the picture mark rather than under it. Marks placed
// apart, even overlapping, stay where they were put.
bool MarksShareAPlace(const ProcessingSettings& s);

std::optional<int> QualityPosition(int quality);
std::optional<int> OpacityPosition(int percent);

inline constexpr int kQualityChoices = 11;
inline constexpr int kPositionChoices = 3;
inline constexpr int kOpacityChoices = 10;

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PROCESSING_SETTINGS_H_
