// Where the product lies on a plain background (a product shot on white):
// what trimming cuts out.
#ifndef LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_
#define LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_

#include <array>
#include <optional>
#include <vips/vips8>

#include "engine/picture/picture_result.h"

namespace lumivane {

// The box (x, y, width, height) of the product on a plain background:
// everything that differs by more than `tolerance` from the colour the
// four corners share, at full size (a chain a pixel wide too), grown to
// where a shadow or a soft edge fades into the ground. None when the
// corners share no colour or most of the picture's rim is not theirs
// (`why` kNoPlainBackground), or nothing but background and shadow is
// there (kNoProduct). `ground`, when given, gets the corners' colour.
std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why, std::array<int, 3>* ground = nullptr);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PRODUCT_BOX_H_
