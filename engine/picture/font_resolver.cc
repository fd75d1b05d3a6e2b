// What the font matching of each system (font_match_*.cc) has in common.
#include "engine/picture/font_resolver.h"

#include "text/text_helpers.h"

namespace lumivane {

bool FontShowsChinese(const FontChoice& font) {
  return ResolveFont(font.sy_text_fontName).shows_chinese;
}

FontChoice FontShowing(const FontChoice& font, const std::string& text) {
  // From the first block of Chinese, Japanese and Korean signs on (U+2E80,
  // E2 BA 80 in UTF-8), up to a byte that is not UTF-8.
  bool chinese = false;
  for (size_t at = 0, length = 0; at < text.size() && !chinese; at += length) {
    length = Utf8CharLength(text, at);
    if (length == 0) break;
    const auto lead = static_cast<unsigned char>(text[at]);
    chinese = length >= 3 &&
              (lead > 0xE2 || (lead == 0xE2 && static_cast<unsigned char>(text[at + 1]) >= 0xBA));
  }
  if (!chinese || FontShowsChinese(font)) return font;
  FontChoice shown = font;
  if (std::string face = ChineseFaceFor(text); !face.empty()) shown.sy_text_fontName = face;
  return shown;
}

std::string ChineseFontMessage(const char* message, const std::string& text) {
  const std::string face = ChineseFaceFor(text);
  if (face.empty()) return message;
  return std::string(message) + "\n这台电脑上的“" + face + "”字体可以显示这些文字。";
}

}  // namespace lumivane
