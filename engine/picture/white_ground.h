// A studio photo's plain ground made pure white (#FFFFFF), as marketplaces
// ask of a main picture, the product left as it was.
#ifndef LUMIVANE_ENGINE_PICTURE_WHITE_GROUND_H_
#define LUMIVANE_ENGINE_PICTURE_WHITE_GROUND_H_

#include <optional>
#include <vips/vips8>

namespace lumivane {

// The ground is what the picture's rim holds: a colour, or a smooth
// gradient of one (a light fall-off, a sweep), give or take `tolerance`.
// What is reached from the rim through that ground, or through a soft
// shadow on it (a darkening of the ground, smooth, of its hue), becomes
// white, the shadow a grey in proportion; the pixels where the product
// meets it are unmixed from what lay round them (the ground, a shadow), so
// no rim of it is left; the product is left as it was. None when the rim holds no plain ground, or
// a dark one (a black backdrop is a choice, not a ground to whiten).
// `picture`: 8-bit sRGB as read, without transparency.
std::optional<vips::VImage> OnWhiteGround(const vips::VImage& picture, int tolerance);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_WHITE_GROUND_H_
