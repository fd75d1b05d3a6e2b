// The JPEG header reader and the segment editors: whatever the file holds,
// they never read past it, the decoder's reduction always leaves both
// sides a pixel, and taking the private segments out twice is taking them
// out once.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/picture/jpeg_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace lumivane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto header = ReadJpegHeader(bytes)) {
    if (header->width < 0 || header->height < 0 || header->orientation < 1 ||
        header->orientation > 8) {
      std::abort();
    }
    for (int side : {0, 1, 640, 1 << 20}) {
      const int shrink = JpegShrinkFactor(*header, {side, side});
      if (shrink != 1 && shrink != 2 && shrink != 4 && shrink != 8) std::abort();
      if (shrink > 1 && std::min(header->width, header->height) < shrink) std::abort();
    }
  }
  const std::string once = WithoutPrivateSegments(bytes);
  if (WithoutPrivateSegments(once) != once) std::abort();
  WithJfifHeader(once, 72);
  return 0;
}
