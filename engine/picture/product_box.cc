#include "engine/picture/product_box.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace lumivane {
namespace {

// Looked for on a copy of at most kProbeSide pixels a side, made once;
// its edges are then found again at full size, in strips along them.
constexpr double kProbeSide = 800;
// A shadow darkens each colour of the background alike, within kShadowTint.
constexpr double kShadowTint = 10;
// A pixel darker by more than this than one beside it lies on an edge: a
// product's outline, which a soft shadow never has (its darker side: a
// shadow beside a darker product is not taken along).
constexpr double kSharpEdge = 12;
// A plain background fills at least this share of the picture's rim; a
// photograph's corners may agree by chance, its rim does not.
constexpr double kPlainRim = 0.5;

// The larger and the smaller of two images, pixel by pixel.
vips::VImage Larger(const vips::VImage& a, const vips::VImage& b) {
  return (a > b).ifthenelse(a, b);
}
vips::VImage Smaller(const vips::VImage& a, const vips::VImage& b) {
  return (a < b).ifthenelse(a, b);
}

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
};

// The box of a mask's set pixels, each one counted (the library's own
// search smooths thin lines away); empty when none is set.
Box BoxOf(const vips::VImage& mask) {
  const vips::VImage m = mask.cast(VIPS_FORMAT_UCHAR).copy_memory();
  const auto* pixel = static_cast<const unsigned char*>(m.data());
  const int w = m.width(), h = m.height();
  int left = w, top = h, right = -1, bottom = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (pixel[static_cast<size_t>(y) * w + x] == 0) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

// What differs from the background, and what of that is the product:
// coloured, lighter than the background or outlined. A light-grey product
// is as neutral as a shadow, but has an edge; a soft shadow only fades.
// Edges are looked for in the lightness, which a JPEG keeps sharp; its
// colours bleed a few pixels into a shadow, so `tinted` is left off where
// a colour's reach matters.
struct Masks {
  vips::VImage differs, core;
};
Masks Classify(const vips::VImage& rgb, const std::vector<double>& background, int tolerance,
               bool tinted = true) {
  // How much darker than the background each colour is (negative: lighter).
  const vips::VImage darker = rgb.cast(VIPS_FORMAT_FLOAT).linear({-1, -1, -1}, background);
  const vips::VImage most = Larger(Larger(darker[0], darker[1]), darker[2]);
  const vips::VImage least = Smaller(Smaller(darker[0], darker[1]), darker[2]);
  Masks m;
  m.differs = (Larger(most, -least) > tolerance).copy_memory();
  const vips::VImage shadow_like =
      tinted ? (least > 0) & (most - least <= kShadowTint) : (least > 0);
  const vips::VImage dark = darker.recomb(vips::VImage::new_matrixv(3, 1, 0.299, 0.587, 0.114));
  // (Thinner than the window: every pixel is on an edge.)
  const vips::VImage sharp =
      std::min(rgb.width(), rgb.height()) < 3
          ? m.differs
          : (dark - dark.rank(3, 3, 0)) > std::min(kSharpEdge, 0.8 * tolerance);
  m.core = (m.differs & ((shadow_like == 0) | sharp)).copy_memory();
  return m;
}

// Where a shadow crosses the edges of the box `b` found in `m`: edge pixels
// that are not the product, with shadow on both sides of them. Where the
// product's outline is the edge, the cut runs along it, not through the
// shadow beside it.
double ShadowCrossings(const Masks& m, const Box& b) {
  const vips::VImage shade = m.differs & (m.core == 0);
  const int w = m.core.width(), h = m.core.height();
  // One side: the edge line at (x, y), its step inwards and outwards.
  auto crossing = [&](int x, int y, int lw, int lh, int dx, int dy) {
    const int ix = x + dx, iy = y + dy, ox = x - dx, oy = y - dy;
    if (ox < 0 || oy < 0 || ox + lw > w || oy + lh > h) return 0.0;  // nothing beyond
    if (ix < b.left || iy < b.top || ix + lw > b.left + b.width || iy + lh > b.top + b.height) {
      return 0.0;  // a box too thin to have an inside
    }
    const vips::VImage across = (m.core.crop(x, y, lw, lh) == 0) & shade.crop(ix, iy, lw, lh) &
                                m.differs.crop(ox, oy, lw, lh);
    return across.avg() / 255 * lw * lh;
  };
  const int right = b.left + b.width - 1, bottom = b.top + b.height - 1;
  return crossing(b.left, b.top, b.width, 1, 0, 1) + crossing(b.left, bottom, b.width, 1, 0, -1) +
         crossing(b.left, b.top, 1, b.height, 1, 0) + crossing(right, b.top, 1, b.height, -1, 0);
}

// `probe_box` (found on a copy `scale` times the picture's size) at the
// picture's full size: each edge found again in a strip along it, so the
// box is as tight as the pixels, never cutting the product.
Box AtFullSize(const vips::VImage& rgb, const Box& probe_box, double scale,
               const std::vector<double>& background, int tolerance, bool whole) {
  if (scale >= 1.0) return probe_box;
  const int reach = static_cast<int>(std::ceil(3 / scale));  // three pixels of the copy
  const int x0 = std::max(0, static_cast<int>(probe_box.left / scale) - reach);
  const int y0 = std::max(0, static_cast<int>(probe_box.top / scale) - reach);
  const int x1 =
      std::min(rgb.width(), static_cast<int>((probe_box.left + probe_box.width) / scale) + reach);
  const int y1 =
      std::min(rgb.height(), static_cast<int>((probe_box.top + probe_box.height) / scale) + reach);
  Box box{x0, y0, x1 - x0, y1 - y0};
  const int band = 2 * reach + 3;
  auto found = [&](int x, int y, int w, int h) {
    w = std::max(3, std::min(w, rgb.width() - x)), h = std::max(3, std::min(h, rgb.height() - y));
    const Masks m = Classify(rgb.crop(x, y, w, h), background, tolerance, false);
    Box b = BoxOf(whole ? m.differs : m.core);
    b.left += x, b.top += y;
    return b;
  };
  if (box.width <= 2 * band || box.height <= 2 * band) {
    const Box b = found(x0, y0, box.width, box.height);
    return b.width > 0 ? b : box;
  }
  const Box left = found(x0, y0, band, box.height), right = found(x1 - band, y0, band, box.height);
  const Box top = found(x0, y0, box.width, band), bottom = found(x0, y1 - band, box.width, band);
  const int l = left.width > 0 ? left.left : x0, t = top.width > 0 ? top.top : y0;
  const int r = right.width > 0 ? right.left + right.width : x1;
  const int b = bottom.width > 0 ? bottom.top + bottom.height : y1;
  return {l, t, r - l, b - t};
}

}  // namespace

std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why) {
  why = Untrimmed::kNoPlainBackground;
  vips::VImage rgb = picture.bands() < 3
                         ? vips::VImage::bandjoin({picture[0], picture[0], picture[0]})
                         : picture.extract_band(0, vips::VImage::option()->set("n", 3));
  const double scale = std::min(1.0, kProbeSide / std::max(rgb.width(), rgb.height()));
  const vips::VImage probe = (scale < 1.0 ? rgb.resize(scale) : rgb).copy_memory();
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
  const Masks masks = Classify(probe, background, tolerance);
  if (w > 2 * n && h > 2 * n) {
    const double all = w * h, inner = (w - 2.0 * n) * (h - 2.0 * n);
    const vips::VImage& d = masks.differs;
    const double differing =
        (d.avg() * all - d.crop(n, n, w - 2 * n, h - 2 * n).avg() * inner) / 255;
    if (differing > (1 - kPlainRim) * (all - inner)) return std::nullopt;
  }
  why = Untrimmed::kNoProduct;
  Box box = BoxOf(masks.core);
  if (box.width <= 0 || box.height <= 0) return std::nullopt;
  // A shadow is cut away whole or kept whole: where it crosses the box's
  // edges, the cut would run through it, so the box takes all of it.
  const bool whole = ShadowCrossings(masks, box) > std::max(2.0, 0.02 * (box.width + box.height));
  if (whole) box = BoxOf(masks.differs);
  box = AtFullSize(rgb, box, scale, background, tolerance, whole);
  why = Untrimmed::kNo;
  return std::array<int, 4>{box.left, box.top, box.width, box.height};
}

}  // namespace lumivane
