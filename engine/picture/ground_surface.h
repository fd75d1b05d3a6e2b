// The colour of a picture's plain ground at every pixel, found on its rim:
// a studio ground is seldom one colour, but lit from one side or swept it
// changes smoothly, and a low surface over the picture follows it.
#ifndef LUMIVANE_ENGINE_PICTURE_GROUND_SURFACE_H_
#define LUMIVANE_ENGINE_PICTURE_GROUND_SURFACE_H_

#include <array>
#include <optional>
#include <vector>

#include "engine/picture/pixels.h"

namespace lumivane {

class GroundSurface {
 public:
  // The ground of an 8-bit colour picture's rim, give or take
  // `tolerance`; none when most of the rim is not such a ground (a
  // photograph, a product that fills the frame).
  static std::optional<GroundSurface> OfRim(const Pixels& picture, int tolerance);

  // The ground's colour at (x, y).
  std::array<double, 3> At(int x, int y) const;
  // The ground's colour along row `y`, into `row` (its width).
  void Row(int y, std::vector<std::array<double, 3>>& row) const;

 private:
  using Terms = std::array<double, 6>;  // 1, u, v, u², v², uv
  Terms TermsAt(int x, int y) const;
  std::array<Terms, 3> channel_{};
  double width_ = 1, height_ = 1;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_GROUND_SURFACE_H_
