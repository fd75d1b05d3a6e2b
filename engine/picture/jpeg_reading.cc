// Reading a JPEG: decoded at the reduction its target allows, within the
// budget, and refused when its data is damaged, however the decoder goes
// on past it.
#include <algorithm>
#include <string>
#include <string_view>

#include "engine/picture/jpeg_decoder.h"
#include "engine/picture/jpeg_header.h"
#include "engine/picture/picture_reading.h"
#include "engine/picture/shifted_band.h"

namespace lumivane::reading {
namespace {

// How a JPEG is decoded: at which reduction, what memory it needs, and
// whether through a temporary file.
struct JpegPlan {
  int shrink = 1;
  std::uint64_t need = 0;
  std::uint64_t encoding = 0;
  bool staged = false;
};

JpegPlan PlanJpeg(const JpegHeader& header, const Reading& r) {
  const ReadOptions& options = r.options;
  JpegPlan plan;
  const bool side = header.SideWays();
  const PictureSize upright{side ? header.height : header.width,
                            side ? header.width : header.height};
  if (options.decoder_may_reduce) {
    plan.shrink = JpegShrinkFactor(header, options.TargetFor(upright), options.reduce_only ? 1 : 2);
  }
  const std::uint64_t w = static_cast<std::uint64_t>(header.width);
  const std::uint64_t h = static_cast<std::uint64_t>(header.height);
  const std::uint64_t shrink = static_cast<std::uint64_t>(plan.shrink);
  // A picture turned upright is copied whole: both copies are in memory.
  const std::uint64_t copies = header.orientation != 1 ? 2 : 1;
  // Measured: a plain decode needs its 3 bytes a pixel and little more; a
  // progressive one keeps every coefficient as well, at full size, two
  // bytes a sample (a 100-megapixel 4:2:0 photograph 6 bytes a pixel).
  // Those are freed before the encoding, which may use their share.
  const std::uint64_t pixels = PixelBytes((w + shrink - 1) / shrink, (h + shrink - 1) / shrink, 1);
  const std::uint64_t coefficients = header.progressive ? header.samples * 2 : 0;
  const std::uint64_t kept = copies * pixels * 3;
  plan.encoding = EncodingBytes(options, pixels);
  plan.need = kept + std::max(coefficients, plan.encoding);
  // Where the coefficients and the pixels do not fit together (a
  // 100-megapixel progressive photograph kept at full size), the picture
  // is decoded into a temporary file first, so they are held one after the
  // other: the coefficients, then the pixels read back beside that file's
  // pages.
  plan.staged = r.bytes.size() + plan.need > r.options.Budget().Room();
  if (plan.staged) {
    plan.need = std::max({coefficients, kept + pixels * 3, kept + plan.encoding});
  }
  return plan;
}

// A sequential picture is looked at for damage the decoder read past, as
// made, at its size: the coded units' size scaled alike.
bool ShiftedBandIn(const vips::VImage& made, const JpegHeader& header) {
  if (header.progressive) return false;
  const double across = static_cast<double>(made.width()) / header.width;
  const double down = static_cast<double>(made.height()) / header.height;
  return ShowsShiftedBand(made, header.unit_width * across, header.unit_height * down);
}

// A sound JPEG of a kind the decoder stops on as if it were broken, named;
// "" for one it reads.
std::string UnreadKind(const JpegHeader& header) {
  if (header.precision != 8) return std::to_string(header.precision) + " 位 JPEG";
  return header.lossless ? "无损或分层编码的 JPEG" : "";
}

}  // namespace

std::optional<vips::VImage> ReadJpeg(Reading& r) {
  const ReadOptions& options = r.options;
  const auto header = ReadJpegHeader(r.bytes);
  if (!header || header->width <= 0 || header->height <= 0) {
    return Failed(options, ReadProblem::kDamaged);
  }
  if (const std::string kind = UnreadKind(*header); !kind.empty()) {
    return Failed(options, ReadProblem::kUnsupported, 0, 0, 0, kind);
  }
  const JpegPlan plan = PlanJpeg(*header, r);
  // The bytes outlive the decoding: ReadPicture copies the picture into memory.
  const std::string clean = WithoutStrayBytes(r.bytes);
  const auto w = static_cast<std::uint64_t>(header->width);
  const auto h = static_cast<std::uint64_t>(header->height);
  return WithinBudget(r, w, h, plan.need, plan.encoding, [&] {
    // Damaged data (a scan cut short, bytes overwritten, units left over
    // at the end marker) is refused with the decoder's reason, never
    // written as a smear.
    const bool stated = header->xres > 0;
    DecodedJpeg decoded = DecodeJpeg(clean.empty() ? r.bytes : clean, plan.shrink, plan.staged,
                                     stated ? header->xres : 1.0, stated ? header->yres : 1.0);
    if (!decoded.picture) {
      const std::string why = decoded.damage.empty() ? decoded.error : decoded.damage;
      Failed(options, ReadProblem::kDamaged, 0, 0, 0, decoded.damage);
      throw vips::VError(why);
    }
    vips::VImage image = *decoded.picture;
    if (header->orientation != 1) image.set(VIPS_META_ORIENTATION, header->orientation);
    return Finish(image, header->width, header->height, options, [&](const vips::VImage& made) {
      if (ShiftedBandIn(made, *header)) {
        const std::string why = "数据中有错误的字节，后面的颜色整段错位";
        Failed(options, ReadProblem::kDamaged, 0, 0, 0, why);
        throw vips::VError(why);
      }
    });
  });
}

}  // namespace lumivane::reading
