// A JPEG decoded by the decoder library itself, not through the imaging
// library's loader: every warning the decoder gives belongs to the one
// decoding that made it give it, whatever thread reads and whatever was
// read before, and the data is read to its end marker, where damage to the
// last units shows.
#ifndef LUMIVANE_ENGINE_PICTURE_JPEG_DECODER_H_
#define LUMIVANE_ENGINE_PICTURE_JPEG_DECODER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vips/vips8>

namespace lumivane {

struct DecodedJpeg {
  std::optional<vips::VImage> picture;  // as stored, 8 bits, its profile attached
  std::string damage;                   // what is wrong with the data, in the user's words
  std::string error;                    // the decoder stopped on something else
};

// Decodes `bytes` reduced by `shrink` (1, 2, 4 or 8) into memory, or into
// a temporary file when `staged` (the decoder's own working memory is then
// freed before the pixels are read back). `xres` x `yres`: the resolution
// the file states, in pixels a millimetre. The first warning about damaged
// data stops the decoding; other warnings (an unknown JFIF revision) are
// read past.
DecodedJpeg DecodeJpeg(std::string_view bytes, int shrink, bool staged, double xres = 1.0,
                       double yres = 1.0);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_JPEG_DECODER_H_
