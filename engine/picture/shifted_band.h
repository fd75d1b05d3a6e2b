// The trace that damaged JPEG data leaves when the decoder reads past it
// without a word: a sequential JPEG codes each block's average as a change
// from the block before, so a few wrong bytes that the decoder happens to
// resynchronise after shift the colour of everything that follows, from
// the damaged unit to the end of the picture. What is shifted starts
// part-way along one row of units and takes every row below; no photograph
// has an edge of that shape.
#ifndef LUMIVANE_ENGINE_PICTURE_SHIFTED_BAND_H_
#define LUMIVANE_ENGINE_PICTURE_SHIFTED_BAND_H_

#include <vips/vips8>

namespace lumivane {

// Whether `picture` (8-bit, as stored, not yet turned upright, at the
// decoder's size or resized) shows such a shift. `unit_width` x
// `unit_height`: the pixels one coded unit covers in it. Units smaller
// than two pixels are not looked at.
bool ShowsShiftedBand(const vips::VImage& picture, double unit_width, double unit_height);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_SHIFTED_BAND_H_
