// A JPEG within a file size: the highest quality that fits.
#ifndef LUMIVANE_ENGINE_PICTURE_SIZE_CAP_H_
#define LUMIVANE_ENGINE_PICTURE_SIZE_CAP_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vips/vips8>

namespace lumivane {

inline constexpr int kLowestCappedQuality = 50;

struct CappedJpeg {
  std::string bytes;
  int quality = 0;
  bool over_limit = false;  // even the lowest quality does not fit: written at it
  int encodes = 0;
};

// The highest quality from `quality` down to 50 (never above `quality`)
// whose JPEG (or WebP) is at most `max_bytes`, found by bisection on
// encodes in memory; a PNG has no quality, only its size is told. None
// when the picture cannot be encoded.
std::optional<CappedJpeg> EncodeWithin(const vips::VImage& picture, int quality,
                                       std::uint64_t max_bytes, int format = 0,
                                       bool progressive = false);

// The same search over any encoder, for tests and measurements.
std::optional<CappedJpeg> SearchQuality(
    const std::function<std::optional<std::string>(int quality)>& encode, int quality,
    std::uint64_t max_bytes);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_SIZE_CAP_H_
