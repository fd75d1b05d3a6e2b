// A decoder of our own for BMP pictures (the imaging library has none it
// can use without pulling in a second imaging library). Uncompressed 1-,
// 4-, 8-bit palette, 16-, 24- and 32-bit pictures, bottom-up or top-down,
// with or without bit-field masks, and 4- and 8-bit run-length coded ones.
#ifndef LUMIVANE_ENGINE_PICTURE_BMP_DECODER_H_
#define LUMIVANE_ENGINE_PICTURE_BMP_DECODER_H_

#include <optional>
#include <string>
#include <string_view>

namespace lumivane {

struct BmpHeader {
  int width = 0;
  int height = 0;
  bool has_alpha = false;
};

struct BmpPicture {
  BmpHeader header;
  std::string pixels;  // rows top to bottom, RGB or RGBA bytes
};

// The size and kind, read without decoding; none when the header is not
// one this decoder reads.
std::optional<BmpHeader> ReadBmpHeader(std::string_view bytes);

// None for anything damaged or not supported.
std::optional<BmpPicture> DecodeBmp(std::string_view bytes);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_BMP_DECODER_H_
