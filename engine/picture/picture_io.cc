#include "engine/picture/picture_io.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>

#include "engine/picture/encoding.h"
#include "engine/picture/extra_operations.h"
#include "engine/picture/heic_support.h"
#include "engine/picture/imaging_environment.h"
#include "engine/picture/memory_budget.h"
#include "engine/picture/picture_reading.h"
#include "platform/file_system.h"

namespace lumivane {
namespace {

using reading::Options;

// Where a decoded picture keeps its original size.
constexpr char kOriginalWidth[] = "lumivane-original-width";
constexpr char kOriginalHeight[] = "lumivane-original-height";

// Larger source files than this are refused before they are read.
constexpr std::uint64_t kMaxPictureFileBytes = 512ull << 20;
// More pixels than this are refused from the header alone: a 100-megapixel
// photograph and a 750 x 30000 detail picture pass, a decompression bomb
// does not.
constexpr std::uint64_t kMaxPixels = 128ull << 20;

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

// Transparency laid on white unless kept, and the size asked for: from the
// original upright size, whatever the decoder's reduction.
vips::VImage Sized(vips::VImage image, PictureSize upright, const ReadOptions& options) {
  if (image.has_alpha() && !options.keep_alpha) {
    // JPEG has no transparency: what is transparent would turn black.
    image = image.flatten(Options()->set("background", std::vector<double>{255, 255, 255}));
  }
  const PictureSize t = options.TargetFor(upright);
  if (options.reduce_only || (t.width == upright.width && t.height == upright.height)) return image;
  return SideWays(Orientation(image)) ? ResizeTo(image, t.height, t.width)
                                      : ResizeTo(image, t.width, t.height);
}

// Turned as the camera meant it, in memory.
vips::VImage Upright(const vips::VImage& image) {
  return Orientation(image) != 1 ? image.autorot().copy_memory() : image;
}

std::atomic<std::uint64_t> decoded_count{0};

}  // namespace

namespace reading {

vips::VOption* Options() { return vips::VImage::option(); }

// Says why, unless an earlier step already did; gives none.
std::nullopt_t Failed(const ReadOptions& options, ReadProblem problem, int w, int h,
                      std::uint64_t bytes, std::string what) {
  if (options.failure && options.failure->problem == ReadProblem::kNone) {
    *options.failure = {problem, w, h, bytes, std::move(what)};
  }
  return std::nullopt;
}

// The steps every decoded picture takes. `stored_w` x `stored_h` is the
// picture's size as stored, before any reduction by the decoder.
// `damaged`, when given, looks at the picture once it is in memory, as
// stored (not yet turned upright), and refuses it by throwing.
vips::VImage Finish(vips::VImage image, int stored_w, int stored_h, const ReadOptions& options,
                    const std::function<void(const vips::VImage&)>& damaged) {
  ++decoded_count;
  const int orientation = Orientation(image);
  image = ToSrgb(image);
  if (Orientation(image) != orientation) {  // kept for the turn, whatever the conversion did
    image = image.copy();
    image.set(VIPS_META_ORIENTATION, orientation);
  }
  const bool side = SideWays(orientation);
  const PictureSize upright =
      side ? PictureSize{stored_h, stored_w} : PictureSize{stored_w, stored_h};
  if (!options.keep_decoded) image = Sized(image, upright, options);
  // Decoded (and shrunk) in one pass; everything after works in memory.
  image = image.copy_memory();
  if (damaged) damaged(image);
  if (!options.keep_decoded) image = Upright(image);
  // The picture in memory is this reading's own (nothing is cached), so
  // its fields are set on it: a copy would be copied whole again by the
  // first step that reads its pixels.
  SetOriginalSize(image, upright);
  return image;
}

std::uint64_t PixelBytes(std::uint64_t w, std::uint64_t h, std::uint64_t bands) {
  return w * h * bands;
}

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
  if (r.options.step_copies > 0) {
    // A step making its result in memory holds it beside the picture as
    // read (at most that large); the encoding comes once it is done, in
    // its room.
    const std::uint64_t steps =
        r.options.step_copies * PixelBytes(made.width, made.height, r.options.keep_alpha ? 4 : 3);
    if (steps > encoding) need += steps - encoding;
  }
  const std::uint64_t total = r.bytes.size() + need;
  const std::uint64_t room = r.options.Budget().Room();
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

}  // namespace reading

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

using namespace reading;

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
        // Told as such, not as damage: the library here has no decoder for
        // it (Windows' has none for HEVC, what phones take).
        if (vips_type_find("VipsOperation", "heifload_buffer") == 0 ||
            (IsHevcCoded(r.bytes) && !SystemDecodesHevc())) {
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
  using namespace reading;
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
    auto ticket = options.Budget().Acquire(reserve);
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

vips::VImage ShapeDecoded(const vips::VImage& decoded, const ReadOptions& options) {
  const PictureSize upright = OriginalSize(decoded);
  vips::VImage image = decoded;
  // Reduced first by halves, as a decoder reduces for a smaller target
  // (each pixel the average of a square), while it stays twice the target
  // (once, for a picture to be cut first), and in memory: the library's
  // resize would work such a step out again for every strip it makes.
  // A transparent picture is left to the resize, which weighs its colours.
  const PictureSize t = options.TargetFor(upright);
  const bool side = SideWays(Orientation(decoded));
  const std::int64_t want_w = side ? t.height : t.width, want_h = side ? t.width : t.height;
  const int room = options.reduce_only ? 1 : 2;
  int factor = 1;
  while (factor < 8 && !decoded.has_alpha() && want_w > 0 && want_h > 0 &&
         decoded.width() / (2 * factor) >= room * want_w &&
         decoded.height() / (2 * factor) >= room * want_h) {
    factor *= 2;
  }
  if (factor > 1) image = image.shrink(factor, factor).copy_memory();
  image = Upright(Sized(image, upright, options).copy_memory());
  SetOriginalSize(image, upright);
  return image;
}

std::uint64_t PicturesDecoded() { return decoded_count.load(); }

PictureSize OriginalSize(const vips::VImage& picture) {
  if (picture.get_typeof(kOriginalWidth) == 0) return {picture.width(), picture.height()};
  return {picture.get_int(kOriginalWidth), picture.get_int(kOriginalHeight)};
}

void SetOriginalSize(vips::VImage& picture, PictureSize size) {
  picture.set(kOriginalWidth, size.width);
  picture.set(kOriginalHeight, size.height);
}

}  // namespace lumivane
