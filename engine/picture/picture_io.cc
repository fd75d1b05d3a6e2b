#include "engine/picture/picture_io.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "engine/picture/bmp_decoder.h"
#include "engine/picture/encoding.h"
#include "engine/picture/extra_operations.h"
#include "engine/picture/imaging_environment.h"
#include "engine/picture/jpeg_header.h"
#include "engine/picture/memory_budget.h"
#include "engine/picture/shifted_band.h"
#include "engine/picture/vips_blob.h"
#include "platform/file_system.h"

namespace lumivane {
namespace {

// Where a decoded picture keeps its original size.
constexpr char kOriginalWidth[] = "lumivane-original-width";
constexpr char kOriginalHeight[] = "lumivane-original-height";

// Larger source files than this are refused before they are read.
constexpr std::uint64_t kMaxPictureFileBytes = 512ull << 20;
// More pixels than this are refused from the header alone: a 100-megapixel
// photograph and a 750 x 30000 detail picture pass, a decompression bomb
// does not.
constexpr std::uint64_t kMaxPixels = 128ull << 20;

vips::VOption* Options() { return vips::VImage::option(); }

// Says why, unless an earlier step already did; gives none.
std::nullopt_t Failed(const ReadOptions& options, ReadProblem problem, int w = 0, int h = 0,
                      std::uint64_t bytes = 0, std::string what = {}) {
  if (options.failure && options.failure->problem == ReadProblem::kNone) {
    *options.failure = {problem, w, h, bytes, std::move(what)};
  }
  return std::nullopt;
}

int Orientation(const vips::VImage& image) {
  if (image.get_typeof(VIPS_META_ORIENTATION) == 0) return 1;
  const int o = image.get_int(VIPS_META_ORIENTATION);
  return o >= 1 && o <= 8 ? o : 1;
}

bool SideWays(int orientation) { return orientation >= 5; }

// 8-bit sRGB, alpha kept. A colour profile stays only where the pixels are
// still the ones it describes: an 8-bit RGB picture keeps its own (it is
// tagged); any other picture with a profile (16-bit, grey, CMYK) is
// converted through it, never merely cast.
vips::VImage ToSrgb(vips::VImage image) {
  const VipsInterpretation kind = image.interpretation();
  if (image.get_typeof(VIPS_META_ICC_NAME) != 0) {
    size_t length = 0;
    const void* profile = image.get_blob(VIPS_META_ICC_NAME, &length);
    if (!vips_icc_is_compatible_profile(image.get_image(), profile, length)) {
      image = image.copy();  // a profile that does not parse is dropped, never copied
      image.remove(VIPS_META_ICC_NAME);
    }
  }
  if (kind == VIPS_INTERPRETATION_sRGB && image.format() == VIPS_FORMAT_UCHAR) return image;
  bool converted = false;
  if (image.get_typeof(VIPS_META_ICC_NAME) != 0) {
    try {
      // The transparency goes round the profile, brought to 8 bits itself.
      const bool alpha = image.has_alpha();
      vips::VImage colour =
          alpha ? image.extract_band(0, Options()->set("n", image.bands() - 1)) : image;
      colour = colour.icc_transform("srgb", Options()->set("embedded", true)->set("depth", 8));
      if (alpha) {
        vips::VImage a = image.extract_band(image.bands() - 1);
        if (a.format() == VIPS_FORMAT_USHORT) a = a / 257.0;
        colour = colour.bandjoin(a.cast(VIPS_FORMAT_UCHAR));
      }
      image = colour;
      converted = true;
    } catch (const vips::VError&) {
      // A profile that does not parse, or does not fit the pixels: as untagged.
    }
  }
  if (!converted) image = image.colourspace(VIPS_INTERPRETATION_sRGB);
  if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  image = image.copy();
  image.remove(VIPS_META_ICC_NAME);
  return image;
}

// Exactly w x h: the library's resize rounds its output size. Colours are
// weighted by their cover, so a transparent edge keeps its colour.
vips::VImage ResizeTo(const vips::VImage& image, int w, int h) {
  if (image.width() == w && image.height() == h) return image;
  const bool alpha = image.has_alpha();
  // One scale both ways where one gives both sides, the smaller (the side
  // that decides a fit), as the library's own thumbnails are made.
  double across = static_cast<double>(w) / image.width();
  double down = static_cast<double>(h) / image.height();
  for (const double one : {std::min(across, down), std::max(across, down)}) {
    if (std::lround(image.width() * one) == w && std::lround(image.height() * one) == h) {
      across = down = one;
      break;
    }
  }
  vips::VImage out =
      (alpha ? image.premultiply() : image).resize(across, Options()->set("vscale", down));
  if (alpha) out = out.unpremultiply().cast(VIPS_FORMAT_UCHAR);
  if (out.width() != w || out.height() != h) {
    out = out.embed(0, 0, w, h, Options()->set("extend", VIPS_EXTEND_COPY));
  }
  return out;
}

// The steps every decoded picture takes. `stored_w` x `stored_h` is the
// picture's size as stored, before any reduction by the decoder.
// `damaged`, when given, looks at the picture once it is in memory, as
// stored (not yet turned upright), and refuses it by throwing.
vips::VImage Finish(vips::VImage image, int stored_w, int stored_h, const ReadOptions& options,
                    const std::function<void(const vips::VImage&)>& damaged = nullptr) {
  const int orientation = Orientation(image);
  image = ToSrgb(image);
  if (image.has_alpha() && !options.keep_alpha) {
    // JPEG has no transparency: what is transparent would turn black.
    image = image.flatten(Options()->set("background", std::vector<double>{255, 255, 255}));
  }
  const bool side = SideWays(orientation);
  const int upright_w = side ? stored_h : stored_w, upright_h = side ? stored_w : stored_h;
  const PictureSize t = options.TargetFor({upright_w, upright_h});
  if (!options.reduce_only && (t.width != upright_w || t.height != upright_h)) {
    // The size comes from the original upright size, whatever the
    // decoder's reduction.
    image = side ? ResizeTo(image, t.height, t.width) : ResizeTo(image, t.width, t.height);
  }
  // Decoded (and shrunk) in one pass; everything after works in memory.
  image = image.copy_memory();
  if (damaged) damaged(image);
  if (orientation != 1) image = image.autorot().copy_memory();
  image = image.copy();
  SetOriginalSize(image, {upright_w, upright_h});
  return image;
}

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

std::uint64_t PixelBytes(std::uint64_t w, std::uint64_t h, std::uint64_t bands) {
  return w * h * bands;
}

// One reading of a picture file: its bytes, already counted in `ticket`.
struct Reading {
  const std::string& bytes;
  const ReadOptions& options;
  MemoryBudget::Ticket& ticket;
  // Above 0: the whole need did not fit beside the other pictures; the
  // reading is to be made again once that much is free.
  std::uint64_t wanted = 0;
};

// What encoding the picture takes later, while its share is still held:
// up to about a byte a pixel (a noisy photograph at quality 95), twice (the
// encoder's buffer and the published copy), and where the encoder keeps
// the whole picture's coefficients, two bytes a sample of three.
std::uint64_t EncodingBytes(const ReadOptions& options, std::uint64_t pixels) {
  if (!options.encoded) return 0;
  const bool coefficients = options.progressive_output || pixels <= kOptimisedTablesPixels;
  return 2 * pixels + (coefficients ? 6 * pixels : 0);
}

// Decodes when the file's bytes and the decoder's `need` (of which
// `encoding` is the encoder's) fit the budget. A picture made larger than
// the decoder makes it (enlarged) is held whole too, and encoded at that
// size: that is counted here, and a refusal names the step that needs it.
std::optional<vips::VImage> WithinBudget(Reading& r, std::uint64_t w, std::uint64_t h,
                                         std::uint64_t need, std::uint64_t encoding,
                                         const std::function<vips::VImage()>& decode) {
  if (w * h > kMaxPixels) {
    return Failed(r.options, ReadProblem::kTooLarge, static_cast<int>(w), static_cast<int>(h));
  }
  // Either way up: the orientation is known only once decoded.
  PictureSize made = r.options.TargetFor({static_cast<int>(w), static_cast<int>(h)});
  const PictureSize turned = r.options.TargetFor({static_cast<int>(h), static_cast<int>(w)});
  auto area = [](PictureSize s) { return PixelBytes(s.width, s.height, 1); };
  if (area(turned) > area(made)) made = turned;
  const bool enlarged = area(made) > w * h;
  const std::string step =
      enlarged ? "放大到 " + std::to_string(made.width) + "×" + std::to_string(made.height) : "";
  if (area(made) > kMaxPixels) {
    return Failed(r.options, ReadProblem::kTooLarge, made.width, made.height, 0, step);
  }
  if (enlarged) {
    encoding = EncodingBytes(r.options, area(made));
    need += PixelBytes(made.width, made.height, 4) + encoding;
  }
  const std::uint64_t total = r.bytes.size() + need;
  const std::uint64_t room = MemoryBudget::ForPictures().Room();
  if (total > room) {  // a bomb, or no room ever
    const bool writer = !enlarged && r.options.progressive_output && total - encoding <= room;
    return Failed(r.options, ReadProblem::kNoMemory, 0, 0, total,
                  writer ? "保存为渐进式 JPEG" : step);
  }
  if (total > r.ticket.bytes() && !r.ticket.TryGrow(total - r.ticket.bytes())) {
    r.wanted = total;
    return std::nullopt;
  }
  return decode();
}

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
  bool refused = false;  // read without stopping, yet damaged: told already
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
        refused = true;
        Failed(options, ReadProblem::kDamaged, 0, 0, 0, "数据中有错误的字节，后面的颜色整段错位");
        throw vips::VError("the colour shifts part-way along a row of units");
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
      refused = true;
      Failed(options, ReadProblem::kDamaged, 0, 0, 0, damage);
      throw vips::VError(damage);
    } catch (const vips::VError& e) {
      if (refused) throw;
      const std::string damage = JpegDamage(e.what());
      if (damage.empty()) return decode(VIPS_FAIL_ON_ERROR);
      Failed(options, ReadProblem::kDamaged, 0, 0, 0, damage);
      throw;
    }
  });
}

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
  if (streams && made < w * h) {
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

}  // namespace

PictureFormat SniffPictureFormat(std::string_view b) {
  auto at = [&](size_t offset, std::string_view magic) {
    return b.size() >= offset + magic.size() && b.substr(offset, magic.size()) == magic;
  };
  auto starts = [&](std::string_view magic) { return at(0, magic); };
  if (starts("\xFF\xD8\xFF")) return PictureFormat::kJpeg;
  if (starts("\x89PNG")) return PictureFormat::kPng;
  if (starts("BM")) return PictureFormat::kBmp;
  if (starts("GIF8")) return PictureFormat::kGif;
  if (starts("RIFF") && at(8, "WEBP")) return PictureFormat::kWebp;
  if (starts("II*\0") || starts("MM\0*")) return PictureFormat::kTiff;
  if (at(4, "ftyp")) return PictureFormat::kHeif;  // its loader knows the brands
  return PictureFormat::kUnknown;
}

namespace {

std::optional<vips::VImage> Decode(Reading& r) {
  try {
    // By content: pictures saved from web pages often carry a name that
    // is not their format.
    switch (const PictureFormat format = SniffPictureFormat(r.bytes)) {
      case PictureFormat::kJpeg:
        return ReadJpeg(r);
      case PictureFormat::kBmp:
        return ReadBmp(r);
      case PictureFormat::kUnknown:
        return Failed(r.options, ReadProblem::kNotAPicture);
      case PictureFormat::kHeif:
        if (vips_type_find("VipsOperation", "heifload_buffer") == 0) {
          return Failed(r.options, ReadProblem::kNoDecoder);
        }
        return ReadOther(r, format);
      default:
        return ReadOther(r, format);
    }
  } catch (const vips::VError& e) {
    // The system refused memory the budget allowed (a limit set on the
    // process): that is not a damaged file.
    if (std::string_view(e.what()).find("out of memory") != std::string_view::npos) {
      return Failed(r.options, ReadProblem::kNoMemory);
    }
    // Otherwise a damaged picture: the decoder stopped on an error.
  }
  return Failed(r.options, ReadProblem::kDamaged);
}

}  // namespace

std::optional<vips::VImage> ReadPicture(const std::string& path, const ReadOptions& options) {
  EnsureImagingEnvironment();
  const auto stamp = platform::StampRegularFile(path, true);
  if (!stamp) return Failed(options, ReadProblem::kCannotOpen);
  if (stamp->size == 0) return Failed(options, ReadProblem::kEmpty);
  if (stamp->size > kMaxPictureFileBytes) {
    return Failed(options, ReadProblem::kTooLarge, 0, 0, stamp->size);
  }
  // The file's bytes are counted before they are read; what decoding needs
  // is added once the header tells, or, when that does not fit at once,
  // everything is given back and the whole waited for: a holder never
  // waits, so pictures cannot wait for each other.
  std::uint64_t reserve = stamp->size;
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto ticket = MemoryBudget::ForPictures().Acquire(reserve);
    if (!ticket) return Failed(options, ReadProblem::kNoMemory, 0, 0, reserve);
    const auto bytes = platform::ReadRegularFile(path, kMaxPictureFileBytes);
    if (!bytes) return Failed(options, ReadProblem::kCannotOpen);
    Reading reading{*bytes, options, *ticket};
    auto picture = Decode(reading);
    if (reading.wanted == 0) {
      if (picture && options.hold) options.hold->emplace(std::move(*ticket));
      return picture;
    }
    reserve = reading.wanted;
  }
  return Failed(options, ReadProblem::kDamaged);  // a file that keeps changing
}

std::function<PictureSize(PictureSize)> NoWiderThan(int width) {
  if (width <= 0) return nullptr;
  return
      [width](PictureSize upright) { return FittedSize(upright.width, upright.height, width, 0); };
}

PictureSize OriginalSize(const vips::VImage& picture) {
  if (picture.get_typeof(kOriginalWidth) == 0) return {picture.width(), picture.height()};
  return {picture.get_int(kOriginalWidth), picture.get_int(kOriginalHeight)};
}

void SetOriginalSize(vips::VImage& picture, PictureSize size) {
  picture.set(kOriginalWidth, size.width);
  picture.set(kOriginalHeight, size.height);
}

}  // namespace lumivane
