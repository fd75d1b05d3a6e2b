// The two watermarks: a line of text and a picture laid over the picture,
// each placed by a direction code and a margin on both axes.
#ifndef LUMIVANE_ENGINE_PICTURE_WATERMARK_H_
#define LUMIVANE_ENGINE_PICTURE_WATERMARK_H_

#include <array>
#include <optional>
#include <string>
#include <vips/vips8>

#include "engine/picture/colour.h"
#include "engine/picture/processing_settings.h"

namespace lumivane {

struct Placement {
  int direction = kFarEdge;  // kNearEdge, kCentred; anything else acts as kFarEdge
  int margin = 0;
};

// What makes a text mark read on any picture: an outline round its
// letters and a soft shadow under them, drawn from the same mask.
struct TextLook {
  int outline = 0;  // pixels; 0 for none
  std::string outline_colour = "#000000";
  bool shadow = false;
};

// Draws `text` (UTF-8) on the 8-bit sRGB `picture`. With the near edge
// the top of the ascent sits the margin below the top; centred, the ascent
// box is centred; with the far edge the baseline sits the margin above the
// bottom. A text wider than the room its margin leaves is drawn smaller,
// to fit (`shrunk` then turns true). False when nothing could be drawn (no
// size, an unknown colour, no ink) or it would have to be drawn smaller
// than can be read (kSmallestText pixels).
inline constexpr int kSmallestText = 8;
bool DrawTextWatermark(vips::VImage& picture, Placement horizontal, Placement vertical,
                       const FontChoice& font, double opacity, const std::string& text,
                       const TextLook& look = {}, bool* shrunk = nullptr);

// The text turned by -30 degrees and repeated over the whole picture,
// every other row moved by half a cell and a cell in the middle, so every
// quarter of the picture holds a whole one (a text too large for that is
// made smaller): the mark that stays when a picture is cropped. False when
// nothing could be drawn.
bool DrawTiledTextWatermark(vips::VImage& picture, const FontChoice& font, double opacity,
                            const std::string& text, const TextLook& look = {});

// The watermark picture at `width` pixels wide, its aspect kept; computed
// only where it is laid.
vips::VImage ScaledMark(const vips::VImage& mark, int width);

// Lays `mark` (8-bit sRGB with alpha) over `picture`; offsets may be
// negative, and what falls outside the picture is cut off.
void CompositePictureWatermark(vips::VImage& picture, const vips::VImage& mark,
                               Placement horizontal, Placement vertical);

// Top-left corner of a w x h mark on a W x H picture.
struct Offset {
  long x = 0;
  long y = 0;
};
Offset PictureWatermarkOffset(long W, long H, long w, long h, Placement horizontal,
                              Placement vertical);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_WATERMARK_H_
