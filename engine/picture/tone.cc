#include "engine/picture/tone.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/picture/picture_io.h"
#include "engine/picture/pixels.h"

namespace lumivane {
namespace {

unsigned char Clamped(double v) { return static_cast<unsigned char>(std::clamp(v, 0.0, 255.0)); }

// The normalised weights of a Gaussian of `sigma`, as far out as a fifth of
// its peak.
std::vector<float> GaussianWeights(double sigma) {
  const int radius = std::max(1, static_cast<int>(sigma * std::sqrt(2 * std::log(5.0))));
  std::vector<float> weights(2 * radius + 1);
  double sum = 0;
  for (int k = -radius; k <= radius; ++k) {
    sum += weights[k + radius] = static_cast<float>(std::exp(-k * k / (2 * sigma * sigma)));
  }
  for (float& w : weights) w = static_cast<float>(w / sum);
  return weights;
}

// One row blurred along itself: interleaved samples, where a pixel's
// neighbour along the row is `bands` samples away, so each pass runs over
// the whole row at once.
void BlurredAcross(const unsigned char* src, int w, int bands, const std::vector<float>& weights,
                   float* dst) {
  const int radius = static_cast<int>(weights.size() / 2);
  const size_t row = static_cast<size_t>(w) * bands;
  // The edges, where the row is held at its end; then the middle, straight.
  for (int x = 0; x < w; ++x) {
    if (x == radius && w - radius > radius) x = w - radius;
    for (int b = 0; b < bands; ++b) {
      float sum = 0;
      for (int k = -radius; k <= radius; ++k) {
        sum += weights[k + radius] * src[std::clamp(x + k, 0, w - 1) * bands + b];
      }
      dst[x * bands + b] = sum;
    }
  }
  // One pass over the row for each weight: loops the compiler runs on
  // several samples at once.
  const size_t start = radius * bands, end = row - radius * bands;
  if (start < end) {
    std::fill(dst + start, dst + end, 0.0f);
    for (int k = -radius; k <= radius; ++k) {
      const float weight = weights[k + radius];
      const unsigned char* from = src + k * bands;
      for (size_t i = start; i < end; ++i) dst[i] += weight * from[i];
    }
  }
}

}  // namespace

vips::VImage Sharpened(const vips::VImage& picture, int amount) {
  constexpr float kMostAdded = 8;
  RowsOf in(picture);
  const int w = in.width(), h = in.height(), bands = in.bands();
  const double shrink = std::max(1.0, static_cast<double>(OriginalSize(picture).width) / w);
  const std::vector<float> weights =
      GaussianWeights(std::clamp(0.5 + 0.15 * std::log2(shrink), 0.5, 1.2));
  const int radius = static_cast<int>(weights.size() / 2);
  const float strength = amount / 50.0f;
  const size_t row = static_cast<size_t>(w) * bands;
  // Only the rows the rows being made need, in turn, as they are and
  // blurred across: the result is all that is made whole in memory.
  const int window = 2 * radius + 1;
  std::vector<unsigned char> rows(row * window);
  std::vector<float> blurred_rows(row * window);
  auto source = [&](int y) { return rows.data() + static_cast<size_t>(y % window) * row; };
  auto across = [&](int y) { return blurred_rows.data() + static_cast<size_t>(y % window) * row; };
  int blurred = -1;  // the last row blurred across
  RowsLike out(picture);
  std::vector<unsigned char> made(row);
  std::vector<float> blur(row);
  for (int y = 0; y < h; ++y) {
    for (; blurred < std::min(h - 1, y + radius); ++blurred) {
      const unsigned char* next = in.Row(blurred + 1);
      std::copy(next, next + row, source(blurred + 1));
      BlurredAcross(source(blurred + 1), w, bands, weights, across(blurred + 1));
    }
    std::fill(blur.begin(), blur.end(), 0.0f);
    float* sum = blur.data();
    for (int k = -radius; k <= radius; ++k) {
      const float* near = across(std::clamp(y + k, 0, h - 1));
      const float weight = weights[k + radius];
      for (size_t i = 0; i < row; ++i) sum[i] += weight * near[i];
    }
    const unsigned char* own = source(y);
    unsigned char* dst = made.data();
    for (size_t i = 0; i < row; ++i) {
      const float added = std::min(kMostAdded, std::max(-kMostAdded, (own[i] - sum[i]) * strength));
      const float v = own[i] + added + 0.5f;
      dst[i] = static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    if (bands == 4) {  // transparency as it is
      for (int x = 0; x < w; ++x) dst[x * 4 + 3] = own[x * 4 + 3];
    }
    out.Put(y, dst);
  }
  return out.Made();
}

vips::VImage AutoLevelled(const vips::VImage& picture) {
  constexpr double kMostGain = 1.15;
  if (picture.bands() < 3) return picture;
  // Two passes over the rows (a picture still to be made is made twice,
  // never held whole): each pixel's darkest and lightest colour and its
  // lightness, then the colours moved.
  RowsOf in(picture);
  const int w = in.width(), h = in.height(), bands = in.bands();
  const size_t row = static_cast<size_t>(w) * bands;
  const size_t count = static_cast<size_t>(w) * h;
  std::array<double, 256> darkest{}, lightest{};
  double lightness = 0;
  for (int y = 0; y < h; ++y) {
    const unsigned char* r = in.Row(y);
    for (size_t i = 0; i < row; i += bands) {
      const unsigned char* p = r + i;
      darkest[std::min({p[0], p[1], p[2]})] += 1;
      lightest[std::max({p[0], p[1], p[2]})] += 1;
      lightness += 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
  }
  // A thousandth of the picture left out at each end (noise, a speck of glare).
  auto level = [count](const std::array<double, 256>& histogram, double share) {
    double below = 0;
    for (int v = 0; v < 256; ++v) {
      if ((below += histogram[v]) > share * count) return v;
    }
    return 255;
  };
  const int low = level(darkest, 0.001), high = level(lightest, 0.999);
  const double mean = lightness / count;
  if (high - low < 8 || mean <= low || mean >= high) return picture;  // flat
  // Only lifted: what lies above the mean is stretched towards white until
  // the lightest reaches it. Nothing is darkened, so a dark product (navy
  // on an off-white ground) keeps its colour, while a dull ground lightens.
  const double gain = std::min(kMostGain, (255 - mean) / (high - mean));
  if (gain <= 1.005) return picture;
  // Each colour moved by what its pixel's lightness moves, the more the
  // nearer it is to grey: a saturated colour keeps its own.
  RowsOf again(picture);
  RowsLike out(picture);
  std::vector<unsigned char> made(row);
  for (int y = 0; y < h; ++y) {
    const unsigned char* p = again.Row(y);
    std::copy(p, p + row, made.begin());  // transparency as it is
    for (size_t i = 0; i < row; i += bands) {
      const double above = 0.299 * p[i] + 0.587 * p[i + 1] + 0.114 * p[i + 2] - mean;
      if (above <= 0) continue;
      const int spread =
          std::max({p[i], p[i + 1], p[i + 2]}) - std::min({p[i], p[i + 1], p[i + 2]});
      const double moved = (gain - 1) * above * std::max(0.0, 1 - spread / 128.0);
      for (int c = 0; c < 3; ++c) made[i + c] = Clamped(std::lround(p[i + c] + moved));
    }
    out.Put(y, made.data());
  }
  return out.Made();
}

}  // namespace lumivane
