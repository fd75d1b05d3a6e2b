#include "engine/picture/encoding.h"

#include <string_view>

#include "engine/picture/extra_operations.h"
#include "engine/picture/jpeg_header.h"
#include "engine/picture/vips_blob.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

vips::VOption* Options() { return vips::VImage::option(); }

// The picture's resolution in dots per inch: what the source said, else 72
// (the library's 1 pixel per millimetre means that nothing was said).
int ResolutionDpi(const vips::VImage& picture) {
  const double dpi = picture.xres() * 25.4;
  if (picture.xres() == 1.0 || dpi < 1 || dpi > 65535) return 72;
  return static_cast<int>(dpi + 0.5);
}

// Names of the metadata a published picture must not carry.
bool IsPrivateField(std::string_view name) {
  return StartsWith(name, "exif-") || name == VIPS_META_XMP_NAME || name == VIPS_META_IPTC_NAME ||
         name == VIPS_META_PHOTOSHOP_NAME || name == VIPS_META_ORIENTATION ||
         name.find("comment") != std::string_view::npos;
}

}  // namespace

std::optional<std::string> EncodeJpeg(const vips::VImage& picture, int quality, bool progressive) {
  try {
    vips::VImage out = picture.copy();
    gchar** fields = vips_image_get_fields(out.get_image());
    for (gchar** f = fields; *f != nullptr; ++f) {
      if (IsPrivateField(*f) || StartsWith(*f, "lumivane-")) out.remove(*f);
    }
    g_strfreev(fields);
    // Optimised Huffman tables: the same pixels in about 3 % fewer bytes,
    // for a copy of every coefficient; not worth it on a huge picture.
    const bool optimised = progressive || static_cast<std::uint64_t>(out.width()) *
                                                  static_cast<std::uint64_t>(out.height()) <=
                                              kOptimisedTablesPixels;
    const BlobPtr blob(out.jpegsave_buffer(Options()
                                               ->set("Q", quality)
                                               ->set("optimize_coding", optimised)
                                               ->set("interlace", progressive)));
    const std::string_view bytes = BlobBytes(blob);
    if (bytes.empty()) return std::nullopt;
    // The encoder writes an EXIF block of its own; none is kept. What other
    // programs read the resolution from is a JFIF header.
    return WithJfifHeader(WithoutPrivateSegments(bytes), ResolutionDpi(picture));
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

std::optional<std::string> EncodePicture(const vips::VImage& picture, int format, int quality,
                                         bool progressive) {
  if (format != kPngOutput && format != kWebpOutput) {
    return EncodeJpeg(picture, quality, progressive);
  }
  try {
    const BlobPtr blob(
        format == kPngOutput
            ? picture.pngsave_buffer(Options()->set("strip", true))
            : picture.webpsave_buffer(Options()->set("Q", quality)->set("strip", true)));
    const std::string_view bytes = BlobBytes(blob);
    if (bytes.empty()) return std::nullopt;
    return std::string(bytes);
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

}  // namespace lumivane
