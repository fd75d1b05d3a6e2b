// Where the product lies on a plain background (a product shot on white):
// what trimming cuts out.
#ifndef LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_
#define LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_

#include <array>
#include <optional>
#include <vips/vips8>

#include "engine/picture/picture_result.h"

namespace lumivane {

// The box (x, y, width, height) of the product on a plain background: what
// differs by more than `tolerance` from the colour the four corners share
// and is coloured, lighter than the background or outlined (a light-grey
// product has edges; a soft shadow, darker and no more coloured, only
// fades). A shadow is left out whole, or, where the box's edges would cut
// through it, kept whole. None when the corners share no colour or most
// of the picture's rim is not theirs (`why` kNoPlainBackground), or
// nothing but background and shadow is there (kNoProduct).
std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_
