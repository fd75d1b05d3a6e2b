#include "engine/picture/product_box.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/picture/pixels.h"

namespace lumivane {
namespace {

// Looked for on a copy of at most kProbeSide pixels a side, made once;
// its edges are then found again at full size, in strips along them.
constexpr double kProbeSide = 800;
// A shadow darkens each colour of the background alike, within kShadowTint.
constexpr int kShadowTint = 10;
// A pixel darker by more than this than one beside it lies on an edge: a
// product's outline, which a soft shadow never has (its darker side: a
// shadow beside a darker product is not taken along).
constexpr int kSharpEdge = 12;
// A plain background fills at least this share of the picture's rim; a
// photograph's corners may agree by chance, its rim does not.
constexpr double kPlainRim = 0.5;

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
};

// A mask over a w x h area.
struct Mask {
  int width = 0, height = 0;
  std::vector<std::uint8_t> set;
  bool operator()(int x, int y) const { return set[static_cast<size_t>(y) * width + x] != 0; }
};

// What differs from the background, and what of that is the product:
// coloured, lighter than the background or outlined. A light-grey product
// is as neutral as a shadow, but has an edge; a soft shadow only fades.
// Edges are looked for in the lightness, which a JPEG keeps sharp; its
// colours bleed a few pixels into a shadow, so `tinted` is left off where
// a colour's reach matters.
struct Masks {
  Mask differs, core;
};
Masks Classify(const Pixels& p, Box area, const std::array<int, 3>& background, int tolerance,
               bool tinted = true) {
  const int w = area.width, h = area.height;
  const size_t n = static_cast<size_t>(w) * h;
  std::vector<std::uint8_t> differs(n), shadow_like(n), dark(n);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned char* px = p.At(area.left + x, area.top + y);
      const int grey = p.bands < 3;
      // How much darker than the background each colour is (negative: lighter).
      const int d0 = background[0] - px[0], d1 = background[1] - px[grey ? 0 : 1],
                d2 = background[2] - px[grey ? 0 : 2];
      const int most = std::max({d0, d1, d2}), least = std::min({d0, d1, d2});
      const size_t i = static_cast<size_t>(y) * w + x;
      differs[i] = most > tolerance || least < -tolerance;
      shadow_like[i] = least > 0 && (!tinted || most - least <= kShadowTint);
      dark[i] = static_cast<std::uint8_t>(std::clamp((77 * d0 + 150 * d1 + 29 * d2) >> 8, 0, 255));
    }
  }
  const int edge = std::min(kSharpEdge, tolerance * 4 / 5);
  Masks m{{w, h, std::move(differs)}, {w, h, std::vector<std::uint8_t>(n)}};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      if (!m.differs.set[i]) continue;
      bool sharp = w < 3 || h < 3;  // thinner than the window: all edge
      for (int dy = -1; dy <= 1 && !sharp; ++dy) {
        for (int dx = -1; dx <= 1 && !sharp; ++dx) {
          const int nx = std::clamp(x + dx, 0, w - 1), ny = std::clamp(y + dy, 0, h - 1);
          sharp = dark[i] - dark[static_cast<size_t>(ny) * w + nx] > edge;
        }
      }
      m.core.set[i] = !shadow_like[i] || sharp;
    }
  }
  return m;
}

// The box of a mask's set pixels; empty when none is set.
Box BoxOf(const Mask& mask) {
  int left = mask.width, top = mask.height, right = -1, bottom = -1;
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      if (!mask(x, y)) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

// Where a shadow crosses the edges of the box `b` found in `m`: edge pixels
// that are not the product, with shadow on both sides of them. Where the
// product's outline is the edge, the cut runs along it, not through the
// shadow beside it.
int ShadowCrossings(const Masks& m, const Box& b) {
  if (b.width < 3 || b.height < 3) return 0;  // too thin to have an inside
  auto shade = [&m](int x, int y) { return m.differs(x, y) && !m.core(x, y); };
  int crossings = 0;
  // Each edge pixel (x, y), its step (dx, dy) inwards.
  auto side = [&](int x, int y, int along_x, int along_y, int length, int dx, int dy) {
    for (int i = 0; i < length; ++i, x += along_x, y += along_y) {
      const int ox = x - dx, oy = y - dy;
      if (ox < 0 || oy < 0 || ox >= m.core.width || oy >= m.core.height) return;  // nothing beyond
      crossings += !m.core(x, y) && shade(x + dx, y + dy) && m.differs(ox, oy);
    }
  };
  side(b.left, b.top, 1, 0, b.width, 0, 1);
  side(b.left, b.bottom() - 1, 1, 0, b.width, 0, -1);
  side(b.left, b.top, 0, 1, b.height, 1, 0);
  side(b.right() - 1, b.top, 0, 1, b.height, -1, 0);
  return crossings;
}

// How many pixels of the picture's rim, `n` wide, differ from the background.
double RimShareDiffering(const Mask& differs, int n) {
  int rim = 0, differing = 0;
  for (int y = 0; y < differs.height; ++y) {
    for (int x = 0; x < differs.width; ++x) {
      if (x >= n && y >= n && x < differs.width - n && y < differs.height - n) continue;
      ++rim;
      differing += differs(x, y);
    }
  }
  return rim == 0 ? 0 : static_cast<double>(differing) / rim;
}

// `probe_box` (found on a copy `scale` times the picture's size) at the
// picture's full size: each edge found again in a strip along it, so the
// box is as tight as the pixels, never cutting the product.
Box AtFullSize(const Pixels& full, const Box& probe_box, double scale,
               const std::array<int, 3>& background, int tolerance, bool whole) {
  if (scale >= 1.0) return probe_box;
  const int reach = static_cast<int>(std::ceil(3 / scale));  // three pixels of the copy
  const int x0 = std::max(0, static_cast<int>(probe_box.left / scale) - reach);
  const int y0 = std::max(0, static_cast<int>(probe_box.top / scale) - reach);
  const int x1 = std::min(full.width, static_cast<int>(probe_box.right() / scale) + reach);
  const int y1 = std::min(full.height, static_cast<int>(probe_box.bottom() / scale) + reach);
  const int band = 2 * reach + 3;
  auto found = [&](Box strip) {
    strip.width = std::min(strip.width, full.width - strip.left);
    strip.height = std::min(strip.height, full.height - strip.top);
    const Masks m = Classify(full, strip, background, tolerance, false);
    Box b = BoxOf(whole ? m.differs : m.core);
    b.left += strip.left, b.top += strip.top;
    return b;
  };
  const Box around{x0, y0, x1 - x0, y1 - y0};
  if (around.width <= 2 * band || around.height <= 2 * band) {
    const Box b = found(around);
    return b.width > 0 ? b : around;
  }
  const Box left = found({x0, y0, band, around.height});
  const Box right = found({x1 - band, y0, band, around.height});
  const Box top = found({x0, y0, around.width, band});
  const Box bottom = found({x0, y1 - band, around.width, band});
  const int l = left.width > 0 ? left.left : x0, t = top.width > 0 ? top.top : y0;
  const int r = right.width > 0 ? right.right() : x1, b = bottom.width > 0 ? bottom.bottom() : y1;
  return {l, t, r - l, b - t};
}

}  // namespace

std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why) {
  why = Untrimmed::kNoPlainBackground;
  const Pixels full(picture);
  const double scale = std::min(1.0, kProbeSide / std::max(full.width, full.height));
  // (A box is all it is for: the plainest kernel will do.)
  const Pixels probe(scale < 1.0 ? full.image.resize(scale, vips::VImage::option()->set(
                                                                "kernel", VIPS_KERNEL_LINEAR))
                                 : full.image);
  const int w = probe.width, h = probe.height;
  const int n = std::max(1, std::min(w, h) / 50);
  // The corners' colour: each corner's mean, all four within the tolerance.
  std::array<double, 3> low{255, 255, 255}, high{0, 0, 0}, sum{0, 0, 0};
  for (auto [x0, y0] : {std::pair{0, 0}, {w - n, 0}, {0, h - n}, {w - n, h - n}}) {
    std::array<double, 3> corner{0, 0, 0};
    for (int y = y0; y < y0 + n; ++y) {
      for (int x = x0; x < x0 + n; ++x) {
        for (int b = 0; b < 3; ++b) corner[b] += probe.At(x, y)[probe.bands < 3 ? 0 : b];
      }
    }
    for (int b = 0; b < 3; ++b) {
      const double v = corner[b] / (n * n);
      low[b] = std::min(low[b], v), high[b] = std::max(high[b], v), sum[b] += v;
    }
  }
  std::array<int, 3> background{};
  for (int b = 0; b < 3; ++b) {
    if (high[b] - low[b] > tolerance) return std::nullopt;
    background[b] = static_cast<int>(std::lround(sum[b] / 4));
  }
  const Masks masks = Classify(probe, {0, 0, w, h}, background, tolerance);
  if (RimShareDiffering(masks.differs, n) > 1 - kPlainRim) return std::nullopt;
  why = Untrimmed::kNoProduct;
  Box box = BoxOf(masks.core);
  if (box.width <= 0 || box.height <= 0) return std::nullopt;
  // A shadow is cut away whole or kept whole: where it crosses the box's
  // edges, the cut would run through it, so the box takes all of it.
  const bool whole = ShadowCrossings(masks, box) > std::max(2.0, 0.02 * (box.width + box.height));
  if (whole) box = BoxOf(masks.differs);
  box = AtFullSize(full, box, scale, background, tolerance, whole);
  why = Untrimmed::kNo;
  return std::array<int, 4>{box.left, box.top, box.width, box.height};
}

}  // namespace lumivane
