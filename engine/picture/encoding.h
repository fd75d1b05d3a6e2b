// Encoding a finished picture for publishing: JPEG without what must not
// be published, PNG and WebP with their transparency.
#ifndef LUMIVANE_ENGINE_PICTURE_ENCODING_H_
#define LUMIVANE_ENGINE_PICTURE_ENCODING_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vips/vips8>

namespace lumivane {

// Up to this many pixels a JPEG is written with tables made for it (the
// encoder then keeps a copy of every coefficient).
inline constexpr std::uint64_t kOptimisedTablesPixels = 24'000'000;

// The picture as JPEG at `quality`, without the metadata a published
// picture must not carry (EXIF with GPS, XMP, IPTC, comments; the colour
// profile stays). None when it cannot be encoded.
std::optional<std::string> EncodeJpeg(const vips::VImage& picture, int quality,
                                      bool progressive = false);

// The picture in an output format (see OutputFormat): JPEG as above; PNG
// and WebP (at `quality`) with their transparency and no metadata. None
// when it cannot be encoded.
std::optional<std::string> EncodePicture(const vips::VImage& picture, int format, int quality,
                                         bool progressive = false);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_ENCODING_H_
