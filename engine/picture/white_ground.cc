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
// one pixel to the next (a product's edge changes faster), and lying on a
// slope along a row or a column: lighter kSlopeReach pixels (of such steps)
// to one side, darker to the other, by kSideSlope levels each and
// kShadowSlope together. A soft shadow fades all through; inside a flat
// product, even by its edge softened and rippled by the encoder or where a
// shadow's fade passes its grey, one side is as it is.
constexpr double kShadowHueSpread = 0.08;
constexpr double kDarkestShadow = 0.2;
constexpr int kShadowStep = 8;
constexpr int kShadowSlope = 4;
constexpr int kSideSlope = 2;
constexpr int kSlopeReach = 8;
// A fade changes by at most this from one pixel to the next: where
// something darker meets the ground in a larger step, that is a product's
// edge (a light product's soft edge too), and it is not a way into a
// shadow.
constexpr int kFadeStep = 3;
// The flat middle of a soft shadow is taken in when the shadow lies on
// both sides of it within this many pixels, across or down, the way there
// as smooth as a fade (a flat product's inside is walled by its edge).
constexpr int kFlatReach = 32;
constexpr int kFlatRounds = 4;
// A few pixels left out all round by what was whitened are a speck (a
// fade's pixel, dust), not a product: at most this many.
constexpr size_t kSpeck = 6;
// How far from the whitened ground the product's edge pixels are unmixed.
constexpr int kEdgeReach = 2;

enum : std::uint8_t { kPassable = 1, kReached = 2, kEdge = 4, kFlat = 8, kGround = 16, kSeen = 32 };

using Colour = std::array<double, 3>;

int Lightness(const unsigned char* p) { return (p[0] + p[1] + p[2]) / 3; }

// Whether a pixel may be ground (near the surface) or a soft shadow on it
// (kPassable, with kGround for ground), or a shadow but for its slope
// (kFlat), or neither (0).
std::uint8_t Passable(const Pixels& p, int x, int y, const Colour& ground, int tolerance) {
  const unsigned char* at = p.At(x, y);
  double off = 0, low = 2, high = 0, sum = 0;
  for (int c = 0; c < 3; ++c) {
    off = std::max(off, std::abs(at[c] - ground[c]));
    const double share = at[c] / ground[c];
    low = std::min(low, share), high = std::max(high, share), sum += share;
  }
  if (off <= tolerance) return kPassable | kGround;
  if (high - low > kShadowHueSpread || sum / 3 < kDarkestShadow || high >= 1) return 0;
  const int own = Lightness(at);
  auto near = [&](int dx, int dy) {
    return Lightness(p.At(std::clamp(x + dx, 0, p.width - 1), std::clamp(y + dy, 0, p.height - 1)));
  };
  // How much lighter it is towards one side, as far as an edge (what lies
  // past one is another thing).
  auto change = [&](int dx, int dy) {
    int last = own;
    for (int k = 1; k <= kSlopeReach; ++k) {
      const int next = near(k * dx, k * dy);
      if (std::abs(next - last) > kShadowStep) break;
      last = next;
    }
    return last - own;
  };
  for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
    if (std::abs(near(dx, dy) - own) > kShadowStep) return 0;
  }
  for (auto [dx, dy] : {std::pair{1, 0}, {0, 1}}) {
    const int one = change(dx, dy), other = change(-dx, -dy);
    const bool slope = (one < 0) != (other < 0);
    if (slope && std::min(std::abs(one), std::abs(other)) >= kSideSlope &&
        std::abs(one - other) >= kShadowSlope) {
      return kPassable;
    }
  }
  return kFlat;
}

// Takes out of the shadows the pixels that meet the ground in a step.
void CloseHardEntries(const Pixels& p, std::vector<std::uint8_t>& mark) {
  std::vector<size_t> edges;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const size_t at = size_t(y) * p.width + x;
      if (mark[at] == 0 || (mark[at] & kGround)) continue;
      const int own = Lightness(p.At(x, y));
      for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height) continue;
        if ((mark[size_t(ny) * p.width + nx] & kGround) &&
            std::abs(Lightness(p.At(nx, ny)) - own) > kFadeStep) {
          edges.push_back(at);
          break;
        }
      }
    }
  }
  for (size_t at : edges) mark[at] = 0;
}

// Marks kReached on every passable pixel joined to the rim through
// passable pixels: a fill by runs along rows, whose stack stays small.
void Reach(std::vector<std::uint8_t>& mark, int w, int h) {
  std::vector<std::pair<int, int>> seeds;
  for (int x = 0; x < w; ++x) seeds.push_back({x, 0}), seeds.push_back({x, h - 1});
  for (int y = 1; y < h - 1; ++y) seeds.push_back({0, y}), seeds.push_back({w - 1, y});
  auto open = [&](int x, int y) { return (mark[size_t(y) * w + x] & ~kGround) == kPassable; };
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

// Makes passable the flat pixels with passable ones on both sides of
// them, across or down, within kFlatReach through flat pixels by fading
// steps; again with those taken in, so a wide flat middle fills too.
void FillRidges(const Pixels& p, std::vector<std::uint8_t>& mark) {
  const int w = p.width, h = p.height;
  auto passable_towards = [&](int x, int y, int dx, int dy) {
    for (int k = 1, last = Lightness(p.At(x, y)); k <= kFlatReach; ++k) {
      const int nx = x + k * dx, ny = y + k * dy;
      if (nx < 0 || ny < 0 || nx >= w || ny >= h) return false;
      const int next = Lightness(p.At(nx, ny));
      if (std::abs(next - last) > kFadeStep) return false;
      const std::uint8_t m = mark[size_t(ny) * w + nx];
      if (m & kPassable) return true;
      if (m != kFlat) return false;
      last = next;
    }
    return false;
  };
  for (int round = 0; round < kFlatRounds; ++round) {
    std::vector<size_t> ridge;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (mark[size_t(y) * w + x] != kFlat) continue;
        if ((passable_towards(x, y, -1, 0) && passable_towards(x, y, 1, 0)) ||
            (passable_towards(x, y, 0, -1) && passable_towards(x, y, 0, 1))) {
          ridge.push_back(size_t(y) * w + x);
        }
      }
    }
    if (ridge.empty()) break;
    for (size_t at : ridge) mark[at] = kPassable;
  }
}

// Marks kReached on the specks: groups of at most kSpeck pixels not
// reached, with reached ones all round them.
void TakeInSpecks(std::vector<std::uint8_t>& mark, int w, int h) {
  std::vector<size_t> group;
  for (size_t start = 0; start < mark.size(); ++start) {
    if (mark[start] & (kReached | kSeen)) continue;
    group.assign(1, start);
    mark[start] |= kSeen;
    bool enclosed = true;
    for (size_t i = 0; i < group.size() && group.size() <= kSpeck; ++i) {
      const int x = static_cast<int>(group[i] % w), y = static_cast<int>(group[i] / w);
      for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= w || ny >= h) {
          enclosed = false;
          continue;
        }
        const size_t at = size_t(ny) * w + nx;
        if (mark[at] & kReached) continue;
        if (!(mark[at] & kSeen)) {
          mark[at] |= kSeen, group.push_back(at);
        } else if (std::find(group.begin(), group.end(), at) == group.end()) {
          enclosed = false;  // joined to a larger group looked at before
        }
      }
    }
    if (enclosed && group.size() <= kSpeck) {
      for (size_t at : group) mark[at] |= kReached;
    }
  }
}

// Marks kEdge on the pixels not reached within kEdgeReach of those reached.
void MarkEdges(std::vector<std::uint8_t>& mark, int w, int h) {
  for (int round = 0; round < kEdgeReach; ++round) {
    std::vector<std::uint8_t> next = mark;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (mark[size_t(y) * w + x] & (kReached | kEdge)) continue;
        for (int ny = std::max(0, y - 1); ny <= std::min(h - 1, y + 1); ++ny) {
          for (int nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1); ++nx) {
            if (mark[size_t(ny) * w + nx] & (kReached | kEdge)) next[size_t(y) * w + x] |= kEdge;
          }
        }
      }
    }
    mark.swap(next);
  }
}

// A pixel of the ground or a shadow made white: the ground divided out
// (the ground white, a shadow its share of white, grey as a shadow on
// white is), then what lay within the tolerance of it made white too, the
// greys below stretched to meet it without a step.
Colour Whitened(const unsigned char* own, const Colour& ground, int tolerance) {
  const double white_from = 255 - tolerance * 255 / *std::min_element(ground.begin(), ground.end());
  const double grey = (own[0] / ground[0] + own[1] / ground[1] + own[2] / ground[2]) * 255 / 3;
  Colour made{};
  for (int c = 0; c < 3; ++c) {
    const double flat = std::min(own[c] * 255 / ground[c], grey);
    made[c] = flat >= white_from ? 255 : std::round(std::max(0.0, flat * 255 / white_from));
  }
  return made;
}

// An edge pixel is what lies round the product (the ground, a shadow) and
// the product mixed: the share of the nearest whitened pixel's colour, along
// the line from it to the most product-like colour near, is given what that
// pixel became.
Colour Unmixed(const Pixels& p, const std::vector<std::uint8_t>& mark, const GroundSurface& surface,
               int tolerance, int x, int y) {
  const unsigned char* own = p.At(x, y);
  int nearest = -1, bx = x, by = y;
  for (int ny = std::max(0, y - 2); ny <= std::min(p.height - 1, y + 2); ++ny) {
    for (int nx = std::max(0, x - 2); nx <= std::min(p.width - 1, x + 2); ++nx) {
      const int d = (nx - x) * (nx - x) + (ny - y) * (ny - y);
      if ((mark[size_t(ny) * p.width + nx] & kReached) && (nearest < 0 || d < nearest)) {
        nearest = d, bx = nx, by = ny;
      }
    }
  }
  const unsigned char* around = p.At(bx, by);
  const Colour became = Whitened(around, surface.At(bx, by), tolerance);
  Colour product{};
  double farthest = -1;
  for (int ny = std::max(0, y - 2); ny <= std::min(p.height - 1, y + 2); ++ny) {
    for (int nx = std::max(0, x - 2); nx <= std::min(p.width - 1, x + 2); ++nx) {
      if (mark[size_t(ny) * p.width + nx] & kReached) continue;
      const unsigned char* at = p.At(nx, ny);
      double d = 0;
      for (int c = 0; c < 3; ++c) d += (at[c] - around[c]) * (at[c] - around[c]);
      if (d > farthest) farthest = d, product = {double(at[0]), double(at[1]), double(at[2])};
    }
  }
  double along = 0, length = 0;
  for (int c = 0; c < 3; ++c) {
    along += (own[c] - around[c]) * (product[c] - around[c]);
    length += (product[c] - around[c]) * (product[c] - around[c]);
  }
  const double share = length < 1 ? 1 : std::clamp(1 - along / length, 0.0, 1.0);
  Colour made{};
  for (int c = 0; c < 3; ++c) made[c] = own[c] + share * (became[c] - around[c]);
  return made;
}

}  // namespace

std::optional<vips::VImage> OnWhiteGround(const vips::VImage& picture, int tolerance) {
  const Pixels p(picture);
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
  std::vector<Colour> ground;
  for (int y = 0; y < h; ++y) {
    surface->Row(y, ground);
    for (int x = 0; x < w; ++x) mark[size_t(y) * w + x] = Passable(p, x, y, ground[x], tolerance);
  }
  FillRidges(p, mark);
  CloseHardEntries(p, mark);
  Reach(mark, w, h);
  TakeInSpecks(mark, w, h);
  MarkEdges(mark, w, h);
  RowsLike out(p.image);
  std::vector<unsigned char> row(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    surface->Row(y, ground);
    for (int x = 0; x < w; ++x) {
      const unsigned char* own = p.At(x, y);
      const std::uint8_t m = mark[size_t(y) * w + x];
      // (The ground itself is white whatever it was: within the tolerance.)
      const Colour made = (m & kReached) && (m & kGround) ? Colour{255, 255, 255}
                          : (m & kReached)                ? Whitened(own, ground[x], tolerance)
                          : (m & kEdge) ? Unmixed(p, mark, *surface, tolerance, x, y)
                                        : Colour{double(own[0]), double(own[1]), double(own[2])};
      for (int c = 0; c < 3; ++c) {
        row[size_t(x) * 3 + c] =
            static_cast<unsigned char>(std::clamp(std::lround(made[c]), 0L, 255L));
      }
    }
    out.Put(y, row.data());
  }
  return out.Made();
}

}  // namespace lumivane
