// One line of text laid out and rendered as a coverage mask, with the
// metrics the watermark placement rules use.
#ifndef LUMIVANE_ENGINE_TEXT_MASK_H_
#define LUMIVANE_ENGINE_TEXT_MASK_H_

#include <optional>
#include <string>
#include <vector>

#include "engine/processing_settings.h"

namespace lumivane {

struct TextMask {
  int width = 0, height = 0;
  std::vector<unsigned char> coverage;  // width x height, 0 (none) to 255 (ink)
  // Top-left of the ink relative to the pen's start on the baseline.
  int ink_x = 0, ink_y = 0;
  double advance = 0;  // how far the pen moves
  double ascent = 0;   // the em size less the font's descent
};

// UTF-8 `text` in the font's family, size (pixels), weight and slant;
// characters the font lacks come from a fallback font (Chinese preferred).
// None when the text has no ink or the size is not positive.
std::optional<TextMask> RenderTextMask(const std::string& text, const FontChoice& font);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_TEXT_MASK_H_
