// What a JPEG file's header says about the picture, read without decoding:
// its stored size and its EXIF orientation.
#ifndef LUMIVANE_ENGINE_PICTURE_JPEG_HEADER_H_
#define LUMIVANE_ENGINE_PICTURE_JPEG_HEADER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/picture/picture_size.h"

namespace lumivane {

struct JpegHeader {
  int width = 0;
  int height = 0;
  int components = 3;
  std::uint64_t samples = 0;  // stored samples of all components (chroma subsampled)
  bool progressive = false;   // its decoder holds every coefficient at full size
  int orientation = 1;        // EXIF 1..8; 5 to 8 turn the picture on its side
  // The resolution the file states, in pixels a millimetre (its Exif
  // tags, else its JFIF header); 0 when it states none.
  double xres = 0, yres = 0;
  int precision = 8;      // bits a sample; the decoder reads 8 alone
  bool lossless = false;  // a lossless or hierarchical frame, which it does not read
  // The pixels one coded unit (MCU) covers: 8 x 8 for one component, else
  // 8 times the largest sampling factors (16 x 16 for the usual 4:2:0).
  int unit_width = 8, unit_height = 8;
  bool SideWays() const { return orientation >= 5 && orientation <= 8; }
};

std::optional<JpegHeader> ReadJpegHeader(std::string_view bytes);

// The bytes without the stray ones between the segments before the first
// scan (which decoders skip with a warning, as they skip the damage in a
// scan): then a warning from the decoder means damaged data. Empty when
// there are none.
std::string WithoutStrayBytes(std::string_view jpeg);

// The decoder's own reduction (1, 2, 4 or 8) for a picture that is to be
// shrunk to `target` once upright: as much as leaves the side shrunk least
// at least `room` times its target (twice: the final resize still has
// room; once: the reduced picture is all that is wanted).
int JpegShrinkFactor(const JpegHeader& header, PictureSize target, int room = 2);

// The file without its EXIF, XMP, IPTC and comment segments (the colour
// profile and everything the picture needs stay).
std::string WithoutPrivateSegments(std::string_view jpeg);

// The file with a JFIF header at `dpi` right after its start, unless it has
// one.
std::string WithJfifHeader(std::string jpeg, int dpi);

// The orientation (1..8) an EXIF block in TIFF form states (a JPEG's
// after "Exif\0\0", a PNG's eXIf chunk); 1 when it states none.
int ExifOrientation(std::string_view tiff);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_JPEG_HEADER_H_
