// One line of text laid out and rendered as a coverage mask, with the
// metrics the watermark placement rules use.
#ifndef LUMIVANE_ENGINE_PICTURE_TEXT_MASK_H_
#define LUMIVANE_ENGINE_PICTURE_TEXT_MASK_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/picture/processing_settings.h"

namespace lumivane {

struct TextMask {
  int width = 0, height = 0;
  std::vector<unsigned char> coverage;  // width x height, 0 (none) to 255 (ink)
  // Top-left of the ink relative to the pen's start on the baseline.
  int ink_x = 0, ink_y = 0;
  double advance = 0;  // how far the pen moves
  double ascent = 0;   // the em size less the font's descent
};

// The part of the ink to draw, in pixels from the ink's top-left corner.
struct InkWindow {
  int x = 0, y = 0, width = 0, height = 0;
};
// Chooses that part from the text's measures (its coverage still empty).
using ChooseInkWindow = std::function<InkWindow(const TextMask& measures)>;

// UTF-8 `text` in the font's family, size (pixels), weight and slant;
// characters the font lacks come from a fallback font (Chinese preferred).
// Only the ink inside `window` is drawn (all of it when none is given), so
// that a text far longer than the picture costs no more than the picture:
// the mask's size and ink_x, ink_y are then those of that part, which may
// be empty. None when the text has no ink or the size is not positive.
// The whole mask of the last text (unless it is very large) is kept, so a
// run lays its text out once, not once a picture.
std::optional<TextMask> RenderTextMask(const std::string& text, const FontChoice& font,
                                       const ChooseInkWindow& window = {});

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_TEXT_MASK_H_
