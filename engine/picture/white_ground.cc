#include "engine/picture/white_ground.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/picture/ground_surface.h"
#include "engine/picture/pixels.h"

namespace lumivane {
namespace {

// A ground darker than this is left: whitening it would be a new picture.
constexpr double kDarkestGround = 96;
// A shadow: the ground darkened alike in each colour (its hue kept), to no
// less than this share of it, changing by at most kShadowStep levels from
// one pixel to the next (a product's edge changes faster) and by at least
// kShadowSlope levels within kSlopeReach pixels of such steps (a soft
// shadow fades all through; a flat grey product on a grey ground does not,
// and is not taken for one where a shadow's fade passes its grey).
constexpr double kShadowHueSpread = 0.08;
constexpr double kDarkestShadow = 0.2;
constexpr int kShadowStep = 8;
constexpr int kShadowSlope = 4;
constexpr int kSlopeReach = 8;
// The flat line along the middle of a long soft shadow is taken in from
// the shadow round it, this far.
constexpr int kFlatReach = 8;
// How far from the whitened ground the product's edge pixels are unmixed.
constexpr int kEdgeReach = 2;

enum : std::uint8_t { kPassable = 1, kReached = 2, kEdge = 4, kFlat = 8 };

using Colour = std::array<double, 3>;

int Lightness(const unsigned char* p) { return (p[0] + p[1] + p[2]) / 3; }

// Whether a pixel may be ground (near the surface) or a soft shadow on it
// (kPassable), or a shadow but for its slope (kFlat), or neither (0).
std::uint8_t Passable(const Pixels& p, int x, int y, const Colour& ground, int tolerance) {
  const unsigned char* at = p.At(x, y);
  double off = 0, low = 2, high = 0, sum = 0;
  for (int c = 0; c < 3; ++c) {
    off = std::max(off, std::abs(at[c] - ground[c]));
    const double share = at[c] / ground[c];
    low = std::min(low, share), high = std::max(high, share), sum += share;
  }
  if (off <= tolerance) return kPassable;
  if (high - low > kShadowHueSpread || sum / 3 < kDarkestShadow || high >= 1) return 0;
  const int own = Lightness(at);
  auto near = [&](int dx, int dy) {
    return Lightness(
        p.At(std::clamp(x + dx, 0, p.width - 1), std::clamp(y + dy, 0, p.height - 1)));
  };
  int darkest = own, lightest = own;
  for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
    if (std::abs(near(dx, dy) - own) > kShadowStep) return 0;
    for (int k = 1, last = own; k <= kSlopeReach; ++k) {
      const int next = near(k * dx, k * dy);
      if (std::abs(next - last) > kShadowStep) break;  // an edge: what lies past it is another thing
      darkest = std::min(darkest, next), lightest = std::max(lightest, next), last = next;
    }
  }
  return lightest - darkest >= kShadowSlope ? kPassable : kFlat;
}

// Marks kReached on every passable pixel joined to the rim through
// passable pixels: a fill by runs along rows, whose stack stays small.
void Reach(std::vector<std::uint8_t>& mark, int w, int h) {
  std::vector<std::pair<int, int>> seeds;
  for (int x = 0; x < w; ++x) seeds.push_back({x, 0}), seeds.push_back({x, h - 1});
  for (int y = 1; y < h - 1; ++y) seeds.push_back({0, y}), seeds.push_back({w - 1, y});
  auto open = [&](int x, int y) { return mark[size_t(y) * w + x] == kPassable; };
  while (!seeds.empty()) {
    auto [x, y] = seeds.back();
    seeds.pop_back();
    if (!open(x, y)) continue;
    int left = x, right = x;
    while (left > 0 && open(left - 1, y)) --left;
    while (right < w - 1 && open(right + 1, y)) ++right;
    for (int i = left; i <= right; ++i) mark[size_t(y) * w + i] |= kReached;
    for (int ny : {y - 1, y + 1}) {
      if (ny < 0 || ny >= h) continue;
      for (int i = left; i <= right; ++i) {
        if (open(i, ny) && (i == left || !open(i - 1, ny))) seeds.push_back({i, ny});
      }
    }
  }
}

// Marks `made` on the pixels within `rounds` of those marked `from` (or
// made), of those marked `among` (any when 0) and not yet reached.
void Grow(std::vector<std::uint8_t>& mark, int w, int h, std::uint8_t from, std::uint8_t made,
          std::uint8_t among, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::uint8_t> next = mark;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint8_t own = mark[size_t(y) * w + x];
        if ((own & (kReached | made)) || (among != 0 && !(own & among))) continue;
        for (int ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1); ++ny) {
          for (int nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1); ++nx) {
            if (mark[size_t(ny) * w + nx] & (from | made)) next[size_t(y) * w + x] |= made;
          }
        }
      }
    }
    mark.swap(next);
  }
}

// An edge pixel is the ground and the product mixed: the ground's share,
// along the line from the ground to the most product-like colour near it,
// is given white instead.
void Unmix(const Pixels& p, const std::vector<std::uint8_t>& mark, int x, int y,
           const Colour& ground, unsigned char* out) {
  const unsigned char* own = p.At(x, y);
  Colour product{};
  double farthest = -1;
  for (int ny = std::max(0, y - 2); ny <= std::min(p.height - 1, y + 2); ++ny) {
    for (int nx = std::max(0, x - 2); nx <= std::min(p.width - 1, x + 2); ++nx) {
      if (mark[size_t(ny) * p.width + nx] & kReached) continue;
      const unsigned char* at = p.At(nx, ny);
      double d = 0;
      for (int c = 0; c < 3; ++c) d += (at[c] - ground[c]) * (at[c] - ground[c]);
      if (d > farthest) farthest = d, product = {double(at[0]), double(at[1]), double(at[2])};
    }
  }
  double along = 0, length = 0;
  for (int c = 0; c < 3; ++c) {
    along += (own[c] - ground[c]) * (product[c] - ground[c]);
    length += (product[c] - ground[c]) * (product[c] - ground[c]);
  }
  const double share = length < 1 ? 0 : std::clamp(1 - along / length, 0.0, 1.0);
  for (int c = 0; c < 3; ++c) {
    out[c] = static_cast<unsigned char>(
        std::clamp(std::lround(own[c] + share * (255 - ground[c])), 0L, 255L));
  }
}

}  // namespace

std::optional<vips::VImage> OnWhiteGround(const vips::VImage& picture, int tolerance) {
  vips::VImage colour = picture;
  if (colour.bands() == 4) {
    colour = colour.flatten(
        vips::VImage::option()->set("background", std::vector<double>{255, 255, 255}));
  }
  if (colour.bands() < 3) colour = colour.colourspace(VIPS_INTERPRETATION_sRGB);
  if (colour.format() != VIPS_FORMAT_UCHAR) colour = colour.cast(VIPS_FORMAT_UCHAR);
  const Pixels p(colour);
  const auto surface = GroundSurface::OfRim(p, tolerance);
  if (!surface) return std::nullopt;
  for (auto [x, y] : {std::pair{0, 0},
                      {p.width - 1, 0},
                      {0, p.height - 1},
                      {p.width - 1, p.height - 1},
                      {p.width / 2, p.height / 2}}) {
    const Colour g = surface->At(x, y);
    if (*std::min_element(g.begin(), g.end()) < kDarkestGround) return std::nullopt;
  }
  const int w = p.width, h = p.height;
  std::vector<std::uint8_t> mark(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      mark[size_t(y) * w + x] = Passable(p, x, y, surface->At(x, y), tolerance);
    }
  }
  Reach(mark, w, h);
  Grow(mark, w, h, kReached, kReached, kFlat, kFlatReach);
  Grow(mark, w, h, kReached, kEdge, 0, kEdgeReach);
  RowsLike out(colour);
  std::vector<unsigned char> row(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Colour g = surface->At(x, y);
      const unsigned char* own = p.At(x, y);
      unsigned char* made = &row[size_t(x) * 3];
      const std::uint8_t m = mark[size_t(y) * w + x];
      if (m & kReached) {
        // The ground divided out (the ground white, a shadow its share of
        // white, grey as a shadow on white is), then what lay within the
        // tolerance of it made white too, the greys below stretched to meet
        // it without a step.
        const double white_from = 255 - tolerance * 255 / *std::min_element(g.begin(), g.end());
        const double grey = (own[0] / g[0] + own[1] / g[1] + own[2] / g[2]) * 255 / 3;
        for (int c = 0; c < 3; ++c) {
          const double flat = std::min(own[c] * 255 / g[c], grey);
          made[c] =
              flat >= white_from
                  ? 255
                  : static_cast<unsigned char>(std::lround(std::max(0.0, flat * 255 / white_from)));
        }
      } else if (m & kEdge) {
        Unmix(p, mark, x, y, g, made);
      } else {
        std::copy(own, own + 3, made);
      }
    }
    out.Put(y, row.data());
  }
  return out.Made();
}

}  // namespace lumivane
