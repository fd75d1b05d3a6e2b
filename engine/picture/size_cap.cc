#include "engine/picture/size_cap.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/picture/encoding.h"
#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_io.h"

namespace lumivane {

std::optional<CappedJpeg> SearchQuality(
    const std::function<std::optional<std::string>(int quality)>& encode, int quality,
    std::uint64_t max_bytes) {
  CappedJpeg best;
  std::uint64_t size = 0;  // of the last encode
  auto fits = [&](int q) -> std::optional<bool> {
    auto bytes = encode(q);
    ++best.encodes;
    if (!bytes) return std::nullopt;
    size = std::max<std::uint64_t>(1, bytes->size());
    if (bytes->size() > max_bytes) return false;
    best.bytes = std::move(*bytes);
    best.quality = q;
    return true;
  };
  // Most pictures fit at the chosen quality: one encode.
  auto first = fits(quality);
  if (!first) return std::nullopt;
  if (*first) return best;
  // Between what fits (below) and what does not (above). The bytes grow
  // smoothly with the quality, so each guess is where the last two sizes
  // seen put the limit (at first, as if the lowest quality took an eighth
  // of the chosen one's bytes); a guess that gains little is followed by
  // a halving.
  int low = kLowestCappedQuality - 1, high = quality;
  const double limit = std::log(static_cast<double>(std::max<std::uint64_t>(1, max_bytes)));
  std::array<std::pair<int, double>, 2> seen = {
      {{low, std::log(static_cast<double>(size) / 8)}, {high, std::log(size)}}};
  bool halve = false;
  while (high - low > 1) {
    int mid = (low + high) / 2;
    const auto [q0, s0] = seen[0];
    const auto [q1, s1] = seen[1];
    if (!halve && s1 != s0) {
      const double at = q1 + (q0 - q1) * (limit - s1) / (s0 - s1);
      if (std::isfinite(at)) mid = std::clamp(static_cast<int>(std::lround(at)), low + 1, high - 1);
    }
    const int width = high - low;
    auto ok = fits(mid);
    if (!ok) return std::nullopt;
    (*ok ? low : high) = mid;
    seen = {seen[1], {mid, std::log(static_cast<double>(size))}};
    halve = !halve && 2 * (high - low) > width;
  }
  if (low >= kLowestCappedQuality) return best;
  // Nothing fits: the lowest quality, told as over the limit.
  const int encodes = best.encodes;
  auto bytes = encode(kLowestCappedQuality);
  if (!bytes) return std::nullopt;
  return CappedJpeg{std::move(*bytes), kLowestCappedQuality, true, encodes + 1};
}

std::optional<CappedJpeg> EncodeWithin(const vips::VImage& picture, int quality,
                                       std::uint64_t max_bytes, int format, bool progressive) {
  if (format == kPngOutput) {
    auto bytes = EncodePicture(picture, format, quality);
    if (!bytes) return std::nullopt;
    const bool over = bytes->size() > max_bytes;
    return CappedJpeg{std::move(*bytes), quality, over, 1};
  }
  return SearchQuality([&](int q) { return EncodePicture(picture, format, q, progressive); },
                       quality, max_bytes);
}

}  // namespace lumivane
