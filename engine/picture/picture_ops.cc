#include "engine/picture/picture_ops.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/picture/output_shape.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/size_cap.h"
#include "engine/picture/watermark.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// What the encoder writes when no quality is chosen.
constexpr int kDefaultQuality = 92;
// The share of the square canvas a trimmed product's longer side takes
// unless told.
constexpr int kUsualFill = 85;

VipsAngle ClockwiseAngle(int degrees) {
  switch (degrees) {
    case 90:
      return VIPS_ANGLE_D90;
    case 180:
      return VIPS_ANGLE_D180;
    default:
      return VIPS_ANGLE_D270;
  }
}

bool ApplyTextWatermark(vips::VImage& picture, const ProcessingSettings& s,
                        const ExtraOperations& extras) {
  const TextLook look{extras.text_outline, extras.text_outline_colour, extras.text_shadow};
  if (extras.tiled_text) {
    return DrawTiledTextWatermark(picture, s.sy_text_font, OpacityFor(s.sy_text_opacity), s.sy_text,
                                  look);
  }
  return DrawTextWatermark(
      picture, {HorizontalDirectionFor(s.sy_text_w_direction), static_cast<int>(s.sy_text_w_value)},
      {VerticalDirectionFor(s.sy_text_h_direction), static_cast<int>(s.sy_text_h_value)},
      s.sy_text_font, OpacityFor(s.sy_text_opacity), s.sy_text, look);
}

void ApplyPictureWatermark(vips::VImage& picture, const vips::VImage& watermark,
                           const ProcessingSettings& s) {
  CompositePictureWatermark(
      picture, watermark,
      {HorizontalDirectionFor(s.sy_image_w_direction), static_cast<int>(s.sy_image_w_value)},
      {VerticalDirectionFor(s.sy_image_h_direction), static_cast<int>(s.sy_image_h_value)});
}

}  // namespace

ResultLabel LabelOf(const PictureResult& r) {
  switch (r.outcome) {
    case PictureOutcome::kReadFailed:
      return {"read_failed", "读取出错"};
    case PictureOutcome::kWriteFailed:
      return {"write_failed", "保存出错"};
    case PictureOutcome::kMarkFailed:
      return {"mark_failed", "水印出错"};
    case PictureOutcome::kSkipped:
      return {"skipped", "已完成"};
    case PictureOutcome::kNameClash:
      return {"name_clash", "重名未保存"};
    case PictureOutcome::kProcessed:
      break;
  }
  return r.over_limit ? ResultLabel{"over_limit", "超出大小限制"}
                      : ResultLabel{"processed", "完成"};
}

int OutputQuality(const ProcessingSettings& settings, const PictureSwitches& switches) {
  return switches.quality ? QualityFor(settings.quanlity) : kDefaultQuality;
}

std::string OutputPathFor(const std::string& target_folder, const std::string& file_name,
                          int format) {
  std::string path = platform::JoinPath(target_folder, file_name);
  size_t dot = file_name.rfind('.');
  if (dot == std::string::npos) return path;
  const std::string ext = AsciiLower(std::string_view(file_name).substr(dot));
  const std::string wanted = OutputExtension(format);
  if (ext != wanted && !(format == kJpegOutput && ext == ".jpeg")) path += wanted;
  return path;
}

std::optional<vips::VImage> LoadWatermarkPicture(const std::string& path, int width,
                                                 std::optional<MemoryBudget::Ticket>* hold,
                                                 ReadFailure* failure) {
  ReadOptions options;
  options.failure = failure;
  options.keep_alpha = true;
  options.hold = hold;
  options.encoded = false;
  options.target_width = width;
  auto mark = ReadPicture(path, options);
  // Opaque where it has no alpha of its own, band by band as it is laid:
  // no second copy of a large mark.
  if (mark && !mark->has_alpha()) *mark = mark->bandjoin_const(std::vector<double>{255});
  // What it holds from now on: the mark as kept, not what reading it took.
  if (mark && hold && *hold) {
    (*hold)->ShrinkTo(static_cast<std::uint64_t>(mark->width()) * mark->height() * 4);
  }
  return mark;
}

int WidestMark(const ProcessingSettings& settings, const PictureSwitches& switches,
               const ExtraOperations& extras, const std::vector<std::string>& sources) {
  if (extras.mark_width_percent <= 0) return 0;
  // Shrunk to a width and not turned, no output is wider than that width;
  // else none is wider than its picture's longer side, or than the square
  // canvas of that width.
  int widest = 0;
  if (switches.width && !switches.rotation) {
    widest = settings.width;
  } else {
    for (const std::string& source : sources) {
      const auto size = HeaderSize(source);
      if (!size) return 0;
      widest = std::max(widest, std::max(size->width, size->height));
    }
    if (switches.width && extras.square) widest = std::max(widest, settings.width);
  }
  return std::max(
      1, static_cast<int>(static_cast<long long>(widest) * extras.mark_width_percent / 100));
}

namespace {

// A frame leaves at least a pixel of the picture each way; a narrower
// picture is left unframed.
bool HasRoomForBorder(const vips::VImage& picture, int border) {
  return border > 0 && 2 * border < std::min(picture.width(), picture.height());
}

// A light unsharp mask after the shrink: a little wider for a larger
// shrink, which averaged more detail away. What it adds is held within a
// few levels, so edges get crisper without the dark and light rims a
// plain unsharp mask leaves round text.
vips::VImage Sharpened(const vips::VImage& picture, int amount) {
  constexpr double kMostAdded = 8;
  const double shrink =
      std::max(1.0, static_cast<double>(OriginalSize(picture).width) / picture.width());
  const double sigma = std::clamp(0.5 + 0.15 * std::log2(shrink), 0.5, 1.2);
  const double strength = amount / 50.0;
  // The colours only; transparency stays as it is.
  const vips::VImage rgb = picture.extract_band(0, vips::VImage::option()->set("n", 3));
  const vips::VImage added =
      (rgb -
       rgb.gaussblur(sigma, vips::VImage::option()->set("precision", VIPS_PRECISION_INTEGER))) *
      strength;
  const vips::VImage held =
      (added > kMostAdded)
          .ifthenelse(kMostAdded, (added < -kMostAdded).ifthenelse(-kMostAdded, added));
  const vips::VImage out = (rgb + held).cast(VIPS_FORMAT_UCHAR);
  return picture.bands() == 4 ? out.bandjoin(picture.extract_band(3)) : out;
}

// `picture` at (x, y) on a w x h canvas of `colour` ("#rrggbb", else
// `fallback`), opaque also where the picture keeps transparency.
vips::VImage OnCanvas(const vips::VImage& picture, int x, int y, int w, int h,
                      const std::string& colour, std::array<double, 3> fallback) {
  const auto rgb = ParseHtmlColour(colour).value_or(fallback);
  std::vector<double> background(rgb.begin(), rgb.end());
  if (picture.bands() == 4) background.push_back(255);
  return picture.embed(
      x, y, w, h,
      vips::VImage::option()->set("extend", VIPS_EXTEND_BACKGROUND)->set("background", background));
}

// `picture` in the middle of a side x side canvas, one treatment for the
// whole output: with a colour given, everything is laid on it; without,
// the canvas is white, or transparent where the output keeps transparency.
vips::VImage OnSquare(const vips::VImage& picture, int side, const ExtraOperations& extras) {
  const int x = (side - picture.width()) / 2, y = (side - picture.height()) / 2;
  const auto colour = ParseHtmlColour(extras.square_colour);
  if (!colour && extras.format != kJpegOutput) {
    const vips::VImage clear = picture.bands() == 4 ? picture : picture.bandjoin_const({255});
    return clear.embed(x, y, side, side,
                       vips::VImage::option()
                           ->set("extend", VIPS_EXTEND_BACKGROUND)
                           ->set("background", std::vector<double>{0, 0, 0, 0}));
  }
  const std::array<double, 3> rgb = colour.value_or(std::array<double, 3>{255, 255, 255});
  const vips::VImage flat =
      picture.bands() == 4 ? picture
                                 .flatten(vips::VImage::option()->set(
                                     "background", std::vector<double>(rgb.begin(), rgb.end())))
                                 .cast(VIPS_FORMAT_UCHAR)
                           : picture;
  return OnCanvas(flat, x, y, side, side, extras.square_colour, rgb);
}

// What `picture` is shrunk to when it was read at a larger size than asked.
vips::VImage Sized(const vips::VImage& picture, PictureSize size) {
  if (size.width == picture.width() && size.height == picture.height()) return picture;
  return picture.thumbnail_image(size.width, vips::VImage::option()
                                                 ->set("height", size.height)
                                                 ->set("size", VIPS_SIZE_FORCE)
                                                 ->set("no_rotate", true));
}

// The larger of two images, pixel by pixel.
vips::VImage Larger(const vips::VImage& a, const vips::VImage& b) {
  return (a > b).ifthenelse(a, b);
}

// The box of the product on a plain background: what differs by more than
// `tolerance` from the colour the four corners share, a soft shadow left
// out (a little darker than the background, and no more coloured). None
// when the corners share no colour (`why` kNoPlainBackground) or nothing
// but background and shadow is there (kNoProduct).
std::optional<std::array<int, 4>> ProductBox(const vips::VImage& picture, int tolerance,
                                             Untrimmed& why) {
  why = Untrimmed::kNoPlainBackground;
  // Looked for on a copy of at most kProbeSide pixels a side, made once:
  // the box is then widened by a pixel of the copy, so no product is cut.
  constexpr double kProbeSide = 800;
  // A shadow darkens the background by at most this much, each colour
  // alike within kShadowTint.
  constexpr double kShadowDepth = 80, kShadowTint = 10;
  const double scale = std::min(1.0, kProbeSide / std::max(picture.width(), picture.height()));
  const vips::VImage probe = (scale < 1.0 ? picture.resize(scale) : picture).copy_memory();
  const int w = probe.width(), h = probe.height();
  const int n = std::max(1, std::min(w, h) / 50);
  std::vector<double> low(3, 255), high(3, 0), background(3, 0);
  for (auto [x, y] : {std::pair{0, 0}, {w - n, 0}, {0, h - n}, {w - n, h - n}}) {
    const vips::VImage corner = probe.crop(x, y, n, n);
    for (int b = 0; b < 3; ++b) {
      const double v = corner[b].avg();
      low[b] = std::min(low[b], v);
      high[b] = std::max(high[b], v);
      background[b] += v / 4;
    }
  }
  for (int b = 0; b < 3; ++b) {
    if (high[b] - low[b] > tolerance) return std::nullopt;
  }
  why = Untrimmed::kNoProduct;
  const vips::VImage darker =
      probe.extract_band(0, vips::VImage::option()->set("n", 3)).linear({-1, -1, -1}, background);
  const vips::VImage most = Larger(Larger(darker[0], darker[1]), darker[2]);
  const vips::VImage least = -Larger(Larger(-darker[0], -darker[1]), -darker[2]);
  const vips::VImage differs = Larger(most, -least) > tolerance;
  const vips::VImage shadow = (least > 0) & (most <= kShadowDepth) & (most - least <= kShadowTint);
  const vips::VImage product = (differs & (shadow == 0)).copy_memory();
  int top = 0, width = 0, height = 0;
  const int left = product.find_trim(
      &top, &width, &height,
      vips::VImage::option()->set("threshold", 127.0)->set("background", std::vector<double>{0}));
  if (width <= 0 || height <= 0 || product.max() == 0) return std::nullopt;
  why = Untrimmed::kNo;
  auto full = [scale](int v) { return static_cast<int>(std::lround(v / scale)); };
  const int x0 = std::max(0, full(left - 1)), y0 = std::max(0, full(top - 1));
  const int x1 = std::min(picture.width(), full(left + width + 1));
  const int y1 = std::min(picture.height(), full(top + height + 1));
  return std::array<int, 4>{x0, y0, x1 - x0, y1 - y0};
}

// The product cut out of its plain background; with the square canvas,
// its longer side `fill` percent of the canvas (W with a width, else the
// product's own), never larger than its own pixels. Without a product on
// a plain background, the picture as a run without trimming makes it, and
// `why` says so.
vips::VImage Trimmed(const vips::VImage& picture, const ProcessingSettings& settings,
                     const PictureSwitches& switches, const ExtraOperations& extras,
                     Untrimmed* why) {
  // A cut-out is looked at on white: what is transparent is background.
  std::optional<std::array<int, 4>> box;
  Untrimmed missed = Untrimmed::kNoPlainBackground;
  try {
    box = ProductBox(picture.bands() == 4 ? picture.flatten(vips::VImage::option()->set(
                                                "background", std::vector<double>{255, 255, 255}))
                                          : picture,
                     extras.trim, missed);
  } catch (const vips::VError&) {
    // Too thin or too small to look for a box in: left as it is.
  }
  const PictureSize original = OriginalSize(picture);
  const int width = switches.width ? settings.width : 0;
  if (!box) {
    if (why) *why = missed;
    if (!switches.width) return picture;
    return Sized(picture,
                 FittedSize(original.width, original.height, width, extras.square ? width : 0));
  }
  const vips::VImage product = picture.crop((*box)[0], (*box)[1], (*box)[2], (*box)[3]);
  const int longer = std::max(product.width(), product.height());
  if (!extras.square) {
    if (!switches.width) return product;
    return Sized(product, ShrunkSize(product.width(), product.height(), width));
  }
  const int fill = extras.fill > 0 ? extras.fill : kUsualFill;
  const int side = switches.width ? width : (longer * 100 + fill - 1) / fill;
  // The picture may have been read smaller than it is stored: up to that
  // much larger is still its own pixels.
  const double own = static_cast<double>(original.width) / picture.width();
  const double scale = std::min(own, std::max(1, side * fill / 100) / static_cast<double>(longer));
  const vips::VImage sized =
      scale == 1.0 ? product
                   : Sized(product, {std::max(1, static_cast<int>(product.width() * scale)),
                                     std::max(1, static_cast<int>(product.height() * scale))});
  return OnSquare(sized, side, extras);
}

// Read, upright, shrunk, sharpened, turned, on its square canvas, made
// room for its frame: the picture before its marks. `extras` loses the
// frame when the picture has no room for it.
std::optional<vips::VImage> RenderBase(const std::string& source,
                                       const ProcessingSettings& settings,
                                       const PictureSwitches& switches, bool shrink_on_load,
                                       ExtraOperations& extras,
                                       std::optional<MemoryBudget::Ticket>* hold = nullptr,
                                       Untrimmed* untrimmed = nullptr,
                                       ReadFailure* failure = nullptr) {
  ReadOptions options;
  options.failure = failure;
  // A square main picture of width W is W x W: the picture fits inside it.
  const bool square_box = extras.square && switches.width;
  // A product to be cut out is read larger, as it is a part of the picture:
  // one a third of the picture wide still fills the canvas at full detail.
  const int read_width = extras.trim > 0 ? 3 * settings.width : settings.width;
  if (switches.width) options.target_width = read_width;
  if (square_box || (switches.width && extras.trim > 0)) options.target_height = read_width;
  options.decoder_may_reduce = shrink_on_load;
  options.hold = hold;
  options.keep_alpha = extras.format != kJpegOutput;  // PNG and WebP keep transparency
  options.progressive_output = extras.progressive && extras.format == kJpegOutput;
  auto picture = ReadPicture(source, options);
  if (!picture) return std::nullopt;
  if (extras.trim > 0) *picture = Trimmed(*picture, settings, switches, extras, untrimmed);
  if (extras.sharpen > 0) *picture = Sharpened(*picture, extras.sharpen);
  if (switches.rotation) {
    *picture = picture->rot(ClockwiseAngle(RotationAngleFor(switches.rotation_position)));
  }
  // Without a width, the square of the longer side; a smaller picture is
  // centred on the W x W canvas, never enlarged.
  const int side = square_box ? settings.width : std::max(picture->width(), picture->height());
  // (A square picture too: a colour given lies under its transparency.)
  if (extras.square) *picture = OnSquare(*picture, side, extras);
  // Room for the frame: the picture shrinks so that, framed, it keeps its
  // width. One too small for it stays unframed.
  if (!HasRoomForBorder(*picture, extras.border)) {
    extras.border = 0;
  } else {
    // To a size of our own rule, not the library's rounding: a run names
    // its outputs by their size before it reads them.
    *picture = Sized(*picture, ShrunkSize(picture->width(), picture->height(),
                                          picture->width() - 2 * extras.border));
  }
  return picture;
}

// The frame round a picture (or a part) that the base made room for.
vips::VImage Framed(const vips::VImage& picture, const ExtraOperations& extras) {
  if (extras.border <= 0) return picture;
  const int b = extras.border;
  return OnCanvas(picture, b, b, picture.width() + 2 * b, picture.height() + 2 * b,
                  extras.border_colour, {0, 0, 0});
}

// The marks on one picture (or one part). False when the text could not
// be drawn.
bool LayMarks(vips::VImage& picture, const ProcessingSettings& settings,
              const PictureSwitches& switches, const vips::VImage* watermark,
              const ExtraOperations& extras) {
  bool marked = true;
  if (switches.text_watermark) marked = ApplyTextWatermark(picture, settings, extras);
  if (switches.picture_watermark && watermark != nullptr) {
    if (extras.mark_width_percent > 0) {
      const int width = std::max(1, picture.width() * extras.mark_width_percent / 100);
      ApplyPictureWatermark(picture, ScaledMark(*watermark, width), settings);
    } else {
      ApplyPictureWatermark(picture, *watermark, settings);
    }
  }
  return marked;
}

}  // namespace

std::optional<vips::VImage> RenderPicture(const std::string& source,
                                          const ProcessingSettings& settings,
                                          const PictureSwitches& switches,
                                          const vips::VImage* watermark, bool shrink_on_load,
                                          bool* mark_failed, const ExtraOperations& asked) {
  try {
    ExtraOperations extras = asked;
    auto picture = RenderBase(source, settings, switches, shrink_on_load, extras);
    if (!picture) return std::nullopt;
    // A picture a run cuts into parts: its first part, marked as a run marks it.
    const int first =
        FramedPartHeights(picture->height(), extras.slice_height, extras.border).front();
    if (first < picture->height()) *picture = picture->crop(0, 0, picture->width(), first);
    const bool marked = LayMarks(*picture, settings, switches, watermark, extras);
    if (mark_failed) *mark_failed = !marked;
    return Framed(*picture, extras);
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

std::optional<CappedJpeg> EncodeOutput(const vips::VImage& part, const ExtraOperations& extras,
                                       int quality) {
  if (extras.max_kb > 0) {
    return EncodeWithin(part, quality, static_cast<std::uint64_t>(extras.max_kb) * 1024,
                        extras.format, extras.progressive);
  }
  auto bytes = EncodePicture(part, extras.format, quality, extras.progressive);
  if (!bytes) return std::nullopt;
  return CappedJpeg{std::move(*bytes), quality, false, 1};
}

PictureResult ProcessOnePicture(const std::string& source, const std::string& output,
                                const ProcessingSettings& settings, const PictureSwitches& switches,
                                const vips::VImage* watermark, const ExtraOperations& asked,
                                const OutputNamer& namer) {
  PictureResult result;
  ExtraOperations extras = asked;
  // The picture's memory stays reserved until its last part is written.
  std::optional<MemoryBudget::Ticket> ticket;
  try {
    const auto base = RenderBase(source, settings, switches, true, extras, &ticket,
                                 &result.untrimmed, &result.read_failure);
    if (!base) return result;
    result.original = OriginalSize(*base);
    const std::vector<int> heights =
        FramedPartHeights(base->height(), extras.slice_height, extras.border);
    const int frames = 2 * extras.border;  // each part framed
    result.size = {base->width() + frames,
                   base->height() + frames * static_cast<int>(heights.size())};
    const int quality = OutputQuality(settings, switches);
    result.quality = quality;
    bool marked = true;
    int top = 0;
    std::vector<std::optional<platform::PreparedFile>> written;
    const int parts = static_cast<int>(heights.size());
    NamedOutputs named;
    if (namer) {
      named = namer(result.size, parts);
    } else {
      named.name = output;
      for (int i = 1; i <= parts; ++i)
        named.paths.push_back(parts == 1 ? output : SlicePath(output, i));
    }
    if (!named.taken.empty()) {  // "a_01.jpg" may be the output of a picture of that name
      result.outputs = {std::move(named.taken)};
      result.outcome = PictureOutcome::kNameClash;
      return result;
    }
    result.output = named.name;
    for (size_t i = 0; i < heights.size(); ++i) {
      // Each part carries the marks at their places, as a picture of its own.
      vips::VImage part =
          heights.size() == 1 ? *base : base->crop(0, top, base->width(), heights[i]);
      top += heights[i];
      marked = LayMarks(part, settings, switches, watermark, extras) && marked;
      part = Framed(part, extras);
      std::optional<CappedJpeg> jpeg = EncodeOutput(part, extras, quality);
      const std::string& path = named.paths[i];
      result.outputs.push_back(path);
      if (jpeg) written.push_back(platform::PreparedFile::Write(path, jpeg->bytes));
      if (!jpeg || !written.back()) {
        // WebP holds at most 16383 pixels a side.
        constexpr int kWebpMaxSide = 16383;
        result.too_large_for_format = !jpeg && extras.format == kWebpOutput &&
                                      std::max(part.width(), part.height()) > kWebpMaxSide;
        result.outcome = PictureOutcome::kWriteFailed;
        return result;  // no part put in place
      }
      result.sizes.push_back(jpeg->bytes.size());
      result.bytes += jpeg->bytes.size();
      result.quality = std::min(result.quality, jpeg->quality);
      result.over_limit = result.over_limit || jpeg->over_limit;
    }
    // Every part written whole before any is put in place.
    for (size_t i = 0; i < written.size(); ++i) {
      if (!written[i]->Commit()) {
        result.outputs.resize(i + 1);  // the part that could not be put in place
        result.outcome = PictureOutcome::kWriteFailed;
        return result;
      }
    }
    result.outcome = marked ? PictureOutcome::kProcessed : PictureOutcome::kMarkFailed;
  } catch (const vips::VError&) {
    result.outcome = PictureOutcome::kReadFailed;
  }
  return result;
}

}  // namespace lumivane
