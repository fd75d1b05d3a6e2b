// What a JPEG file's header says about the picture, read without decoding:
// its stored size and its EXIF orientation.
#ifndef LUMIVANE_ENGINE_JPEG_HEADER_H_
#define LUMIVANE_ENGINE_JPEG_HEADER_H_

#include <optional>
#include <string>
#include <string_view>

namespace lumivane {

struct JpegHeader {
  int width = 0;
  int height = 0;
  int orientation = 1;  // EXIF 1..8; 5 to 8 turn the picture on its side
  bool SideWays() const { return orientation >= 5 && orientation <= 8; }
};

std::optional<JpegHeader> ReadJpegHeader(std::string_view bytes);

// The decoder's size hint for shrinking to `target_width` after the
// picture is turned upright: the decoder may scale down by 1/2, 1/4 or 1/8
// but stays at least twice the target wide. None when the picture is not
// more than twice as wide as the target (it is then decoded as it is).
std::optional<std::string> JpegSizeHint(const JpegHeader& header, int target_width);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_JPEG_HEADER_H_
