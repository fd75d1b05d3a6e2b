// Reading a JPEG: decoded at the reduction its target allows, within the
// budget, and refused when its data is damaged, however the decoder goes
// on past it.
#include <algorithm>
#include <string>
#include <string_view>

#include "engine/picture/imaging_environment.h"
#include "engine/picture/jpeg_header.h"
#include "engine/picture/picture_reading.h"
#include "engine/picture/shifted_band.h"
#include "engine/picture/vips_blob.h"

namespace lumivane::reading {
namespace {

// What the decoder's message says is wrong with a JPEG's data, in the
// user's words; empty for a warning that is not about damaged data.
std::string JpegDamage(std::string_view message) {
  struct Known {
    const char* said;
    const char* told;
  };
  static constexpr Known kKnown[] = {
      {"premature end of data segment", "数据段提前结束"},
      {"Premature end of JPEG file", "文件提前结束"},
      {"extraneous bytes before marker", "数据中有多余的字节"},
      {"Huffman", "编码数据错误"},
      {"Corrupt JPEG data", "数据有误"},
      {"resync", "数据有误"},
  };
  for (const Known& k : kKnown) {
    if (message.find(k.said) != std::string_view::npos) return k.told;
  }
  return {};
}

}  // namespace

std::optional<vips::VImage> ReadJpeg(Reading& r) {
  const ReadOptions& options = r.options;
  const auto header = ReadJpegHeader(r.bytes);
  if (!header || header->width <= 0 || header->height <= 0) {
    return Failed(options, ReadProblem::kDamaged);
  }
  // Sound, but of a kind the decoder stops on as if it were broken.
  if (header->precision != 8 || header->lossless) {
    return Failed(options, ReadProblem::kUnsupported, 0, 0, 0,
                  header->precision != 8 ? std::to_string(header->precision) + " 位 JPEG"
                                         : "无损或分层编码的 JPEG");
  }
  const bool side = header->SideWays();
  const PictureSize upright{side ? header->height : header->width,
                            side ? header->width : header->height};
  const int shrink =
      options.decoder_may_reduce
          ? JpegShrinkFactor(*header, options.TargetFor(upright), options.reduce_only ? 1 : 2)
          : 1;
  const std::uint64_t w = static_cast<std::uint64_t>(header->width);
  const std::uint64_t h = static_cast<std::uint64_t>(header->height);
  // A picture turned upright is copied whole: both copies are in memory.
  const std::uint64_t copies = header->orientation != 1 ? 2 : 1;
  // Measured: a plain decode needs its 3 bytes a pixel and little more; a
  // progressive one keeps every coefficient as well, at full size, two
  // bytes a sample (a 100-megapixel 4:2:0 photograph 6 bytes a pixel).
  // Those are freed before the encoding, which may use their share.
  const std::uint64_t pixels = PixelBytes((w + shrink - 1) / shrink, (h + shrink - 1) / shrink, 1);
  const std::uint64_t coefficients = header->progressive ? header->samples * 2 : 0;
  const std::uint64_t kept = copies * pixels * 3, encoding = EncodingBytes(options, pixels);
  std::uint64_t need = kept + std::max(coefficients, encoding);
  // Where the coefficients and the pixels do not fit together (a
  // 100-megapixel progressive photograph kept at full size), the picture
  // is decoded into a temporary file first, so they are held one after the
  // other: the coefficients, then the pixels read back beside that file's
  // pages.
  const bool staged = r.bytes.size() + need > MemoryBudget::ForPictures().Room();
  if (staged) need = std::max({coefficients, kept + pixels * 3, kept + encoding});
  // The bytes outlive the decoding: ReadPicture copies the picture into memory.
  const std::string clean = WithoutStrayBytes(r.bytes);
  const BlobPtr blob = BorrowBlob(clean.empty() ? r.bytes : clean);
  // Read without stopping, yet damaged: told here, and not read again.
  bool refused = false;
  auto refusal = [&](const std::string& why) {
    refused = true;
    Failed(options, ReadProblem::kDamaged, 0, 0, 0, why);
    return vips::VError(why);
  };
  auto decode = [&](VipsFailOn fail_on) {
    vips::VImage image =
        vips::VImage::jpegload_buffer(blob.get(), Options()
                                                      ->set("shrink", shrink)
                                                      ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                      ->set("fail_on", fail_on));
    if (staged) {
      vips::VImage disk = vips::VImage::new_temp_file("%s.v");
      image.write(disk);
      image = disk;  // the decoder, and its coefficients, are gone
    }
    // A sequential picture is looked at for damage the decoder read past,
    // as made, at its size: the coded units' size scaled alike.
    auto shifted_band = [&](const vips::VImage& made) {
      if (header->progressive) return;
      const double across = static_cast<double>(made.width()) / header->width;
      const double down = static_cast<double>(made.height()) / header->height;
      if (ShowsShiftedBand(made, header->unit_width * across, header->unit_height * down)) {
        throw refusal("数据中有错误的字节，后面的颜色整段错位");
      }
    };
    return Finish(image, header->width, header->height, options, shifted_band);
  };
  return WithinBudget(r, w, h, need, encoding, [&] {
    // Any warning stops the decoder: damaged data (a scan cut short, bytes
    // overwritten) is refused with the decoder's reason, never written as
    // a smear; a warning that is not about the data (an unknown JFIF
    // revision) reads the picture again, past it.
    TakeDecoderWarnings();
    try {
      vips::VImage picture = decode(VIPS_FAIL_ON_WARNING);
      // A warning given as the decoder finished (the data ran out in the
      // last rows) is damage all the same.
      const std::string damage = JpegDamage(TakeDecoderWarnings());
      if (damage.empty()) return picture;
      throw refusal(damage);
    } catch (const vips::VError& e) {
      if (refused) throw;
      const std::string damage = JpegDamage(e.what());
      if (damage.empty()) return decode(VIPS_FAIL_ON_ERROR);
      Failed(options, ReadProblem::kDamaged, 0, 0, 0, damage);
      throw;
    }
  });
}

}  // namespace lumivane::reading
