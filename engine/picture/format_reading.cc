// Reading the other kinds of picture: the library's own loaders (PNG,
// GIF, WebP, TIFF, HEIF), read lazily or streamed, and BMP by our decoder.
#include <algorithm>
#include <string>
#include <string_view>

#include "engine/picture/bmp_decoder.h"
#include "engine/picture/picture_reading.h"
#include "engine/picture/vips_blob.h"

namespace lumivane::reading {
namespace {

// A picture whose loader reads the header first and decodes only when its
// pixels are asked for. `copies`: how many whole copies its decoder holds
// at once besides the one in memory after it. A loader that `streams`
// (rows in order, none kept) shrinks a large picture as it reads it: then
// only the smaller picture and a band of rows are held at once, as the
// library's own thumbnails are made.
std::optional<vips::VImage> ReadLazily(Reading& r, const vips::VImage& image, std::uint64_t copies,
                                       bool streams = false) {
  const std::uint64_t w = static_cast<std::uint64_t>(image.width());
  const std::uint64_t h = static_cast<std::uint64_t>(image.height());
  const std::uint64_t bytes_per_band = vips_format_sizeof(image.format());
  const std::uint64_t bands = std::max(4, image.bands());
  const PictureSize target = r.options.TargetFor({image.width(), image.height()});
  const std::uint64_t made = PixelBytes(target.width, target.height, 1);
  std::uint64_t encoding = EncodingBytes(r.options, w * h);
  std::uint64_t need = (1 + copies) * PixelBytes(w, h, bands * bytes_per_band) + encoding;
  // Kept whole for several outputs, it is not shrunk as it is read.
  if (streams && !r.options.keep_decoded && made < w * h) {
    // The rows one output row is made from, a few times over for the
    // resampling's reach and the library's tiles.
    const std::uint64_t rows = std::min<std::uint64_t>(h, 64 + 8 * (h / target.height + 1));
    encoding = EncodingBytes(r.options, made);
    need = 2 * made * bands + rows * PixelBytes(w, 1, bands * bytes_per_band) + encoding;
  }
  return WithinBudget(r, w, h, need, encoding,
                      [&] { return Finish(image, image.width(), image.height(), r.options); });
}

// Whether a PNG's rows come in order: an interlaced one is decoded whole.
bool PngStreams(std::string_view bytes) {
  constexpr size_t kInterlaceAt = 28;  // in the header chunk, after the signature
  return bytes.size() > kInterlaceAt && bytes[kInterlaceAt] == 0;
}

}  // namespace

// Formats of the library's own loaders, all read from memory: the first
// frame or page, the primary picture of a HEIF container.
std::optional<vips::VImage> ReadOther(Reading& r, PictureFormat format) {
  const BlobPtr blob = BorrowBlob(r.bytes);
  VipsBlob* b = blob.get();
  switch (format) {
    case PictureFormat::kPng:
      return ReadLazily(r,
                        vips::VImage::pngload_buffer(b, Options()
                                                            ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                            ->set("fail_on", VIPS_FAIL_ON_WARNING)),
                        0, PngStreams(r.bytes));
    case PictureFormat::kGif:
      return ReadLazily(
          r, vips::VImage::gifload_buffer(b, Options()->set("fail_on", VIPS_FAIL_ON_WARNING)), 1);
    case PictureFormat::kWebp:
      return ReadLazily(
          r, vips::VImage::webpload_buffer(b, Options()->set("fail_on", VIPS_FAIL_ON_ERROR)), 1);
    case PictureFormat::kTiff:
      return ReadLazily(
          r,
          vips::VImage::tiffload_buffer(
              b,
              Options()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail_on", VIPS_FAIL_ON_ERROR)),
          0);
    case PictureFormat::kHeif:
      // Decoded whole, its planes beside the pixels; only where the
      // library was built with a HEIF reader (an error otherwise).
      return ReadLazily(
          r, vips::VImage::heifload_buffer(b, Options()->set("fail_on", VIPS_FAIL_ON_ERROR)), 2);
    default:
      return std::nullopt;
  }
}

std::optional<vips::VImage> ReadBmp(Reading& r) {
  const auto header = ReadBmpHeader(r.bytes);
  if (!header) return Failed(r.options, ReadProblem::kDamaged);
  const std::uint64_t bands = header->has_alpha ? 4 : 3;
  const std::uint64_t w = static_cast<std::uint64_t>(header->width);
  const std::uint64_t h = static_cast<std::uint64_t>(header->height);
  std::optional<BmpPicture> bmp;
  // The decoded pixels and their copy, and a run-length coded picture's
  // colour indices.
  const std::uint64_t encoding = EncodingBytes(r.options, w * h);
  auto picture =
      WithinBudget(r, w, h, 2 * PixelBytes(w, h, bands) + w * h + encoding, encoding, [&] {
        bmp = DecodeBmp(r.bytes);
        if (!bmp) return vips::VImage();
        vips::VImage image = vips::VImage::new_from_memory(
                                 bmp->pixels.data(), bmp->pixels.size(), bmp->header.width,
                                 bmp->header.height, static_cast<int>(bands), VIPS_FORMAT_UCHAR)
                                 .copy(Options()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        return Finish(image, image.width(), image.height(), r.options);
      });
  if (!bmp) return Failed(r.options, ReadProblem::kDamaged);
  return picture;
}

}  // namespace lumivane::reading
