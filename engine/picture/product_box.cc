#include "engine/picture/product_box.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace lumivane {
namespace {

// The larger and the smaller of two images, pixel by pixel.
vips::VImage Larger(const vips::VImage& a, const vips::VImage& b) {
  return (a > b).ifthenelse(a, b);
}
vips::VImage Smaller(const vips::VImage& a, const vips::VImage& b) {
  return (a < b).ifthenelse(a, b);
}

}  // namespace

std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why) {
  why = Untrimmed::kNoPlainBackground;
  // Looked for on a copy of at most kProbeSide pixels a side, made once:
  // the box is then widened by a pixel of the copy, so no product is cut.
  constexpr double kProbeSide = 800;
  // A shadow darkens the background by at most this much, each colour
  // alike within kShadowTint.
  constexpr double kShadowDepth = 80, kShadowTint = 10;
  const double scale = std::min(1.0, kProbeSide / std::max(picture.width(), picture.height()));
  const vips::VImage probe = (scale < 1.0 ? picture.resize(scale) : picture).copy_memory();
  const int w = probe.width(), h = probe.height();
  const int n = std::max(1, std::min(w, h) / 50);
  std::vector<double> low(3, 255), high(3, 0), background(3, 0);
  for (auto [x, y] : {std::pair{0, 0}, {w - n, 0}, {0, h - n}, {w - n, h - n}}) {
    const vips::VImage corner = probe.crop(x, y, n, n);
    for (int b = 0; b < 3; ++b) {
      const double v = corner[b].avg();
      low[b] = std::min(low[b], v);
      high[b] = std::max(high[b], v);
      background[b] += v / 4;
    }
  }
  for (int b = 0; b < 3; ++b) {
    if (high[b] - low[b] > tolerance) return std::nullopt;
  }
  why = Untrimmed::kNoProduct;
  const vips::VImage darker =
      probe.extract_band(0, vips::VImage::option()->set("n", 3)).linear({-1, -1, -1}, background);
  const vips::VImage most = Larger(Larger(darker[0], darker[1]), darker[2]);
  const vips::VImage least = Smaller(Smaller(darker[0], darker[1]), darker[2]);
  const vips::VImage differs = Larger(most, -least) > tolerance;
  const vips::VImage shadow = (least > 0) & (most <= kShadowDepth) & (most - least <= kShadowTint);
  const vips::VImage product = (differs & (shadow == 0)).copy_memory();
  int top = 0, width = 0, height = 0;
  const int left = product.find_trim(
      &top, &width, &height,
      vips::VImage::option()->set("threshold", 127.0)->set("background", std::vector<double>{0}));
  if (width <= 0 || height <= 0 || product.max() == 0) return std::nullopt;
  why = Untrimmed::kNo;
  auto full = [scale](int v) { return static_cast<int>(std::lround(v / scale)); };
  const int x0 = std::max(0, full(left - 1)), y0 = std::max(0, full(top - 1));
  const int x1 = std::min(picture.width(), full(left + width + 1));
  const int y1 = std::min(picture.height(), full(top + height + 1));
  return std::array<int, 4>{x0, y0, x1 - x0, y1 - y0};
}

}  // namespace lumivane
