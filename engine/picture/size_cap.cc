#include "engine/picture/size_cap.h"

#include "engine/picture/encoding.h"
#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_io.h"

namespace lumivane {

std::optional<CappedJpeg> SearchQuality(
    const std::function<std::optional<std::string>(int quality)>& encode, int quality,
    std::uint64_t max_bytes) {
  CappedJpeg best;
  auto fits = [&](int q) -> std::optional<bool> {
    auto bytes = encode(q);
    ++best.encodes;
    if (!bytes) return std::nullopt;
    if (bytes->size() > max_bytes) return false;
    best.bytes = std::move(*bytes);
    best.quality = q;
    return true;
  };
  // Most pictures fit at the chosen quality: one encode.
  auto first = fits(quality);
  if (!first) return std::nullopt;
  if (*first) return best;
  // Bisection between what fits (below) and what does not (above).
  int low = kLowestCappedQuality - 1, high = quality;
  while (high - low > 1) {
    const int mid = (low + high) / 2;
    auto ok = fits(mid);
    if (!ok) return std::nullopt;
    (*ok ? low : high) = mid;
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
