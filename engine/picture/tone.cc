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

// Every row blurred along itself: rows of interleaved samples, where a
// pixel's neighbour along the row is `bands` samples away, so each pass
// runs over whole rows at once.
std::vector<float> BlurredAcross(const Pixels& in, const std::vector<float>& weights) {
  const int radius = static_cast<int>(weights.size() / 2);
  const int w = in.width, h = in.height, bands = in.bands;
  const size_t row = static_cast<size_t>(w) * bands;
  std::vector<float> across(row * h);
  for (int y = 0; y < h; ++y) {
    const unsigned char* src = in.data + y * row;
    float* dst = across.data() + y * row;
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
  return across;
}

}  // namespace

vips::VImage Sharpened(const vips::VImage& picture, int amount) {
  constexpr float kMostAdded = 8;
  const Pixels in(picture);
  const double shrink = std::max(1.0, static_cast<double>(OriginalSize(picture).width) / in.width);
  const std::vector<float> weights =
      GaussianWeights(std::clamp(0.5 + 0.15 * std::log2(shrink), 0.5, 1.2));
  const int radius = static_cast<int>(weights.size() / 2);
  const float strength = amount / 50.0f;
  const int w = in.width, h = in.height, bands = in.bands;
  const size_t row = static_cast<size_t>(w) * bands;
  const std::vector<float> across = BlurredAcross(in, weights);
  std::vector<unsigned char> out(in.data, in.data + row * h);
  std::vector<float> blur(row);
  for (int y = 0; y < h; ++y) {
    std::fill(blur.begin(), blur.end(), 0.0f);
    float* sum = blur.data();
    for (int k = -radius; k <= radius; ++k) {
      const float* near = across.data() + std::clamp(y + k, 0, h - 1) * row;
      const float weight = weights[k + radius];
      for (size_t i = 0; i < row; ++i) sum[i] += weight * near[i];
    }
    const unsigned char* own = in.data + y * row;
    unsigned char* dst = out.data() + y * row;
    for (size_t i = 0; i < row; ++i) {
      const float added = std::min(kMostAdded, std::max(-kMostAdded, (own[i] - sum[i]) * strength));
      const float v = own[i] + added + 0.5f;
      dst[i] = static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    if (bands == 4) {  // transparency as it is
      for (int x = 0; x < w; ++x) dst[x * 4 + 3] = own[x * 4 + 3];
    }
  }
  return PictureLike(in.image, out);
}

vips::VImage AutoLevelled(const vips::VImage& picture) {
  constexpr double kMostGain = 1.15;
  const Pixels in(picture);
  if (in.bands < 3) return picture;
  const size_t count = static_cast<size_t>(in.width) * in.height;
  // Each pixel's darkest and lightest colour, and its lightness.
  std::array<double, 256> darkest{}, lightest{};
  double lightness = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* p = in.data + i * in.bands;
    darkest[std::min({p[0], p[1], p[2]})] += 1;
    lightest[std::max({p[0], p[1], p[2]})] += 1;
    lightness += 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
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
  const double gain = std::min({kMostGain, mean / (mean - low), (255 - mean) / (high - mean)});
  if (gain <= 1.005) return picture;
  // Each colour moved by what its pixel's lightness moves.
  std::vector<unsigned char> out(in.data, in.data + count * in.bands);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* p = in.data + i * in.bands;
    const double moved = (gain - 1) * (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2] - mean);
    for (int c = 0; c < 3; ++c) out[i * in.bands + c] = Clamped(std::lround(p[c] + moved));
  }
  return PictureLike(in.image, out);
}

}  // namespace lumivane
