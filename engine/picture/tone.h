// The operations on a picture's tones after it is sized: sharpening what
// the shrink softened, and stretching a dull picture's lightness. Both keep
// transparency as it is.
#ifndef LUMIVANE_ENGINE_PICTURE_TONE_H_
#define LUMIVANE_ENGINE_PICTURE_TONE_H_

#include <vips/vips8>

namespace lumivane {

// A light unsharp mask after the shrink: a little wider for a larger
// shrink, which averaged more detail away. What it adds is held within a
// few levels, so edges get crisper without the dark and light rims a plain
// unsharp mask leaves round text. `amount` 50 is the usual strength.
vips::VImage Sharpened(const vips::VImage& picture, int amount);

// A dull picture's lightness stretched about its mean, its colours' own
// differences kept, so a product keeps its hue and its colour. The range
// is the whole picture's, every colour together (a golden product's own
// blue is as dark as the picture goes there), and the stretch stops where
// either end reaches black or white: a product shot whose ground is white
// already, or a photograph that spans the range, is left as it is, and no
// large flat product becomes the black or the white point. At most 15%
// more contrast, so what lies near the mean barely moves.
vips::VImage AutoLevelled(const vips::VImage& picture);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_TONE_H_
