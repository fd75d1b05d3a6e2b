// Where the product lies on a plain background (a product shot on white):
// what trimming cuts out.
#ifndef LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_
#define LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_

#include <array>
#include <optional>
#include <vips/vips8>

#include "engine/picture/picture_ops.h"

namespace lumivane {

// The box (x, y, width, height) of the product on a plain background: what
// differs by more than `tolerance` from the colour the four corners share,
// a soft shadow left out (a little darker than the background, and no more
// coloured). None when the corners share no colour (`why`
// kNoPlainBackground) or nothing but background and shadow is there
// (kNoProduct).
std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_
