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

// How far a colour lies from the background, in its most different band.
int Deviation(const unsigned char* c, bool grey, const std::array<int, 3>& background) {
  return std::max({std::abs(background[0] - c[0]), std::abs(background[1] - c[grey ? 0 : 1]),
                   std::abs(background[2] - c[grey ? 0 : 2])});
}

// What differs from the background by more than `tolerance` in any band.
Mask Differing(const Pixels& p, Box area, const std::array<int, 3>& background, int tolerance) {
  const int w = area.width, h = area.height;
  const bool grey = p.bands < 3;
  Mask m{w, h, std::vector<std::uint8_t>(static_cast<size_t>(w) * h)};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      m.set[static_cast<size_t>(y) * w + x] =
          Deviation(p.At(area.left + x, area.top + y), grey, background) > tolerance;
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
               const std::array<int, 3>& background, int tolerance) {
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
    Box b = BoxOf(Differing(full, strip, background, tolerance));
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

// The background's colour: each corner's mean, all four within the
// tolerance; none when they differ more.
std::optional<std::array<int, 3>> CornersColour(const Pixels& p, int tolerance) {
  const int w = p.width, h = p.height;
  const int n = std::max(1, std::min(w, h) / 50);
  std::array<double, 3> low{255, 255, 255}, high{0, 0, 0}, sum{0, 0, 0};
  for (auto [x0, y0] : {std::pair{0, 0}, {w - n, 0}, {0, h - n}, {w - n, h - n}}) {
    std::array<double, 3> corner{0, 0, 0};
    for (int y = y0; y < y0 + n; ++y) {
      for (int x = x0; x < x0 + n; ++x) {
        for (int b = 0; b < 3; ++b) corner[b] += p.At(x, y)[p.bands < 3 ? 0 : b];
      }
    }
    for (int b = 0; b < 3; ++b) {
      const double v = corner[b] / (static_cast<double>(n) * n);
      low[b] = std::min(low[b], v), high[b] = std::max(high[b], v), sum[b] += v;
    }
  }
  std::array<int, 3> background{};
  for (int b = 0; b < 3; ++b) {
    if (high[b] - low[b] > tolerance) return std::nullopt;
    background[b] = static_cast<int>(std::lround(sum[b] / 4));
  }
  return background;
}

// A copy `scale` times the picture's size in which each pixel is the most
// different from the background of its block (each of its 2 x 2 cells
// averaged, so that a camera's grain does not count): a chain or a wire a
// pixel wide shows at its own contrast however far the copy shrinks.
vips::VImage MostDifferentCopy(const Pixels& full, double scale,
                               const std::array<int, 3>& background) {
  // No larger than the 2 x 2 cells: every pixel of the copy has one.
  const int w = std::max(1, std::min(static_cast<int>(full.width * scale), full.width / 2));
  const int h = std::max(1, std::min(static_cast<int>(full.height * scale), full.height / 2));
  const bool grey = full.bands < 3;
  std::vector<int> column(full.width);
  for (int x = 0; x < full.width; ++x) column[x] = std::min(w - 1, x * w / full.width);
  std::vector<int> most(static_cast<size_t>(w) * h, -1);
  std::vector<unsigned char> out(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y + 1 < full.height || y == 0; y += 2) {
    const int y1 = std::min(y + 1, full.height - 1);
    const size_t row = static_cast<size_t>(std::min(h - 1, y * h / full.height)) * w;
    for (int x = 0; x < full.width; x += 2) {
      const int x1 = std::min(x + 1, full.width - 1);
      const unsigned char* a = full.At(x, y);
      const unsigned char* b = full.At(x1, y);
      const unsigned char* c = full.At(x, y1);
      const unsigned char* d = full.At(x1, y1);
      unsigned char mean[3];
      for (int k = 0; k < 3; ++k) {
        const int band = grey ? 0 : k;
        mean[k] = static_cast<unsigned char>((a[band] + b[band] + c[band] + d[band] + 2) / 4);
      }
      const int deviation = Deviation(mean, false, background);
      const size_t i = row + column[x];
      if (deviation > most[i]) {
        most[i] = deviation;
        std::copy(mean, mean + 3, out.begin() + static_cast<std::ptrdiff_t>(i * 3));
      }
    }
  }
  return vips::VImage(
      vips_image_new_from_memory_copy(out.data(), out.size(), w, h, 3, VIPS_FORMAT_UCHAR));
}

// `box` grown at full size on each side while the line beyond it still
// differs from the background by more than `fade`, its colours averaged
// along the line first (a camera's grain averages out, a shadow does not):
// a shadow or a soft edge is kept to where it fades into the ground, never
// ended in a step.
Box FadedOut(const Pixels& full, Box box, const std::array<int, 3>& background, int fade) {
  constexpr int kSmooth = 32;
  const bool grey = full.bands < 3;
  std::array<std::vector<int>, 3> sums;
  // Whether the line of `length` pixels from (x, y) by (dx, dy) still differs.
  auto differs = [&](int x, int y, int dx, int dy, int length) {
    for (auto& sum : sums) sum.assign(static_cast<size_t>(length) + 1, 0);
    for (int i = 0; i < length; ++i) {
      const unsigned char* c = full.At(x + i * dx, y + i * dy);
      for (int b = 0; b < 3; ++b) sums[b][i + 1] = sums[b][i] + background[b] - c[grey ? 0 : b];
    }
    const int window = std::min(kSmooth, length);
    for (int i = window; i <= length; ++i) {
      for (const auto& sum : sums) {
        if (std::abs(sum[i] - sum[i - window]) > fade * window) return true;
      }
    }
    return false;
  };
  for (bool grew = true; grew;) {
    grew = false;
    if (box.left > 0 && differs(box.left - 1, box.top, 0, 1, box.height)) {
      --box.left, ++box.width, grew = true;
    }
    if (box.right() < full.width && differs(box.right(), box.top, 0, 1, box.height)) {
      ++box.width, grew = true;
    }
    if (box.top > 0 && differs(box.left, box.top - 1, 1, 0, box.width)) {
      --box.top, ++box.height, grew = true;
    }
    if (box.bottom() < full.height && differs(box.left, box.bottom(), 1, 0, box.width)) {
      ++box.height, grew = true;
    }
  }
  return box;
}

}  // namespace

std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why, std::array<int, 3>* ground) {
  why = Untrimmed::kNoPlainBackground;
  const Pixels full(picture);
  const auto background = CornersColour(full, tolerance);
  if (!background) return std::nullopt;
  const double scale = std::min(1.0, kProbeSide / std::max(full.width, full.height));
  const Pixels probe(scale < 1.0 ? MostDifferentCopy(full, scale, *background) : full.image);
  const int n = std::max(1, std::min(probe.width, probe.height) / 50);
  const Mask differs = Differing(probe, {0, 0, probe.width, probe.height}, *background, tolerance);
  if (RimShareDiffering(differs, n) > 1 - kPlainRim) return std::nullopt;
  why = Untrimmed::kNoProduct;
  // Everything that differs is kept: the product with its thinnest parts
  // and softest edges, its shadow to where it fades.
  Box box = BoxOf(differs);
  if (box.width <= 0) return std::nullopt;
  box =
      AtFullSize(full, box, static_cast<double>(probe.width) / full.width, *background, tolerance);
  box = FadedOut(full, box, *background, std::max(4, tolerance / 5));
  if (ground) *ground = *background;
  why = Untrimmed::kNo;
  return std::array<int, 4>{box.left, box.top, box.width, box.height};
}

}  // namespace lumivane
