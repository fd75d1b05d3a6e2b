#include "engine/picture/picture_steps.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/picture/colour.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/product_box.h"
#include "engine/picture/tone.h"
#include "engine/picture/watermark.h"
#include "engine/picture/white_ground.h"

namespace lumivane {
namespace {

// The share of the canvas a trimmed product's longer side takes, in
// percent: 85 unless told.
int FillPercent(const StepContext& c) { return c.extras.fill > 0 ? c.extras.fill : 85; }

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

// The picture mark's size as laid on `picture`: its share of the width,
// else its own, shrunk into the room its margins leave (`shrunk` told).
PictureSize LaidMarkSize(const vips::VImage& picture, const vips::VImage& watermark,
                         const StepContext& c, bool* shrunk) {
  const ProcessingSettings& s = c.settings;
  int width = c.extras.mark_width_percent > 0
                  ? std::max(1, picture.width() * c.extras.mark_width_percent / 100)
                  : watermark.width();
  auto room = [](int side, int direction, int margin) {
    return std::max(1, side - (direction == kCentred ? 0 : margin));
  };
  const int room_w = room(picture.width(), HorizontalDirectionFor(s.sy_image_w_direction),
                          static_cast<int>(s.sy_image_w_value));
  const int room_h = room(picture.height(), VerticalDirectionFor(s.sy_image_h_direction),
                          static_cast<int>(s.sy_image_h_value));
  const double height = static_cast<double>(width) * watermark.height() / watermark.width();
  if (width > room_w || height > room_h) {
    width = std::max(
        1, static_cast<int>(std::min(
               static_cast<double>(room_w),
               std::floor(room_h * static_cast<double>(watermark.width()) / watermark.height()))));
    if (shrunk) *shrunk = true;
  }
  return {width,
          std::max(1, static_cast<int>(std::lround(static_cast<double>(width) * watermark.height() /
                                                   watermark.width())))};
}

// The text mark's place: as set, or beside the picture mark when both are
// set to one place (above it at the bottom, below it at the top, inside it
// at a side's middle, below it in the centre), 8 pixels apart.
std::pair<Placement, Placement> TextMarkPlace(const vips::VImage& picture, const StepContext& c,
                                              const vips::VImage* mark) {
  const ProcessingSettings& s = c.settings;
  Placement across{HorizontalDirectionFor(s.sy_text_w_direction),
                   static_cast<int>(s.sy_text_w_value)};
  Placement down{VerticalDirectionFor(s.sy_text_h_direction), static_cast<int>(s.sy_text_h_value)};
  if (mark == nullptr || !c.switches.picture_watermark || !MarksShareAPlace(s)) {
    return {across, down};
  }
  const PictureSize laid = LaidMarkSize(picture, *mark, c, nullptr);
  constexpr int kGap = 8;
  if (down.direction != kCentred) {
    down.margin += laid.height + kGap;
  } else if (across.direction != kCentred) {
    across.margin += laid.width + kGap;
  } else {
    down = {kNearEdge, (picture.height() + laid.height) / 2 + kGap};
  }
  return {across, down};
}

bool ApplyTextWatermark(vips::VImage& picture, const StepContext& c, const vips::VImage* mark) {
  const ProcessingSettings& s = c.settings;
  const TextLook look{c.extras.text_outline, c.extras.text_outline_colour, c.extras.text_shadow};
  const std::string& text = c.printed ? c.printed->text : s.sy_text;
  const FontChoice& font = c.printed ? c.printed->font : s.sy_text_font;
  if (c.extras.tiled_text) {
    return DrawTiledTextWatermark(picture, font, OpacityFor(s.sy_text_opacity), text, look);
  }
  const auto [across, down] = TextMarkPlace(picture, c, mark);
  return DrawTextWatermark(picture, across, down, font, OpacityFor(s.sy_text_opacity), text, look,
                           &c.text_shrunk);
}

void ApplyPictureWatermark(vips::VImage& picture, const vips::VImage& watermark,
                           const ProcessingSettings& s) {
  CompositePictureWatermark(
      picture, watermark,
      {HorizontalDirectionFor(s.sy_image_w_direction), static_cast<int>(s.sy_image_w_value)},
      {VerticalDirectionFor(s.sy_image_h_direction), static_cast<int>(s.sy_image_h_value)});
}

// `picture` at (x, y) on a w x h canvas of `colour` ("#rrggbb", else
// `fallback`), opaque also where the picture keeps transparency.
// A canvas's `colour` ("#rrggbb", else `fallback`) for `picture`'s bands.
std::vector<double> CanvasColour(const vips::VImage& picture, const std::string& colour,
                                 std::array<double, 3> fallback) {
  const auto rgb = ParseHtmlColour(colour).value_or(fallback);
  std::vector<double> background(rgb.begin(), rgb.end());
  if (picture.bands() == 4) background.push_back(255);
  return background;
}

vips::VImage OnCanvas(const vips::VImage& picture, int x, int y, int w, int h,
                      const std::string& colour, std::array<double, 3> fallback) {
  const std::vector<double> background = CanvasColour(picture, colour, fallback);
  return picture.embed(
      x, y, w, h,
      vips::VImage::option()->set("extend", VIPS_EXTEND_BACKGROUND)->set("background", background));
}

// `picture` in the middle of a w x h canvas, one treatment for the whole
// output: with a colour given, everything is laid on it; without, the
// canvas is white (the plain ground a product was cut from), or
// transparent where the output keeps transparency.
vips::VImage OnBlank(const vips::VImage& picture, PictureSize size, const ExtraOperations& extras,
                     const std::optional<std::array<double, 3>>& ground = std::nullopt) {
  const int x = (size.width - picture.width()) / 2, y = (size.height - picture.height()) / 2;
  const auto colour = ParseHtmlColour(extras.square_colour);
  if (!colour && extras.format != kJpegOutput) {
    const vips::VImage clear = picture.bands() == 4 ? picture : picture.bandjoin_const({255});
    return clear.embed(x, y, size.width, size.height,
                       vips::VImage::option()
                           ->set("extend", VIPS_EXTEND_BACKGROUND)
                           ->set("background", std::vector<double>{0, 0, 0, 0}));
  }
  const std::array<double, 3> rgb =
      colour.value_or(ground.value_or(std::array<double, 3>{255, 255, 255}));
  const vips::VImage flat =
      picture.bands() == 4 ? picture
                                 .flatten(vips::VImage::option()->set(
                                     "background", std::vector<double>(rgb.begin(), rgb.end())))
                                 .cast(VIPS_FORMAT_UCHAR)
                           : picture;
  return OnCanvas(flat, x, y, size.width, size.height, extras.square_colour, rgb);
}

// What `picture` is shrunk to when it was read at a larger size than asked.
vips::VImage Sized(const vips::VImage& picture, PictureSize size) {
  if (size.width == picture.width() && size.height == picture.height()) return picture;
  return picture.thumbnail_image(size.width, vips::VImage::option()
                                                 ->set("height", size.height)
                                                 ->set("size", VIPS_SIZE_FORCE)
                                                 ->set("no_rotate", true));
}

// A cut-out looked at on white: what is transparent is background.
vips::VImage OnWhite(const vips::VImage& picture) {
  return picture.has_alpha() ? picture.flatten(vips::VImage::option()->set(
                                   "background", std::vector<double>{255, 255, 255}))
                             : picture;
}

// The product cut out of its plain background. Without a product on a
// plain background, the picture as it is, and `why` says so.
vips::VImage Trimmed(const vips::VImage& picture, StepContext& c) {
  std::optional<std::array<int, 4>> box;
  Untrimmed missed = Untrimmed::kNoPlainBackground;
  std::array<int, 3> ground{255, 255, 255};
  try {
    box = ProductBox(OnWhite(picture), c.extras.trim, missed, &ground);
  } catch (const vips::VError&) {
    // Too thin or too small to look for a box in: left as it is.
  }
  if (!box) {
    if (c.untrimmed) *c.untrimmed = missed;
    return picture;
  }
  c.trimmed = true;
  c.ground = std::array<double, 3>{static_cast<double>(ground[0]), static_cast<double>(ground[1]),
                                   static_cast<double>(ground[2])};
  // Read smaller than it is stored: its own pixels are that much more.
  c.own_scale = static_cast<double>(OriginalSize(picture).width) / picture.width();
  return picture.crop((*box)[0], (*box)[1], (*box)[2], (*box)[3]);
}

std::optional<PictureSize> FrameRoom(PictureSize size, StepContext& c);

// The picture at the rule's size: scaled from its own pixels (a product
// cut out to its share of the canvas), then cut to an exact size.
vips::VImage SizedByRule(const vips::VImage& picture, StepContext& c) {
  SizeRule rule = c.Rule();
  PictureSize own = OriginalSize(picture);
  if (c.trimmed) {
    own = {std::max(1, static_cast<int>(std::lround(picture.width() * c.own_scale))),
           std::max(1, static_cast<int>(std::lround(picture.height() * c.own_scale)))};
    if (c.Canvas()) {
      const int fill = FillPercent(c);
      rule.width = std::max(1, rule.width * fill / 100);
      rule.height = std::max(1, rule.height * fill / 100);
      rule.exact = false;
    }
  }
  PictureSize scaled = ScaledSize(own, rule);
  // Room for the frame made in the same resize (read at that size, none).
  if (c.RoomInSize()) scaled = *FrameRoom(scaled, c);
  const vips::VImage sized = Sized(picture, scaled);
  if (!rule.Cuts()) return sized;
  const PictureSize cut = CutSize(scaled, rule);
  if (rule.fit == kFitSmart) {
    return sized.smartcrop(cut.width, cut.height,
                           vips::VImage::option()->set("interesting", VIPS_INTERESTING_ATTENTION));
  }
  return sized.crop((sized.width() - cut.width) / 2, (sized.height() - cut.height) / 2, cut.width,
                    cut.height);
}

// The canvas: the exact size padded; the square of the box; else the
// square of the picture's longer side, a product `fill` percent of it.
std::optional<PictureSize> CanvasSize(PictureSize size, const StepContext& c) {
  const SizeRule rule = c.Rule();
  if (rule.Any()) return PictureSize{rule.width, rule.height};
  const int longer = std::max(size.width, size.height);
  const int fill = FillPercent(c);
  const int side = c.trimmed ? (longer * 100 + fill - 1) / fill : longer;
  return PictureSize{side, side};
}

// Lays the watermark picture, at its share of the part's width if asked;
// one larger than the room its margins leave on the part is shrunk to fit
// it, so it never lies off the picture.
void LayPictureMark(vips::VImage& picture, const vips::VImage& watermark, const StepContext& c) {
  const PictureSize laid = LaidMarkSize(picture, watermark, c, &c.mark_shrunk);
  ApplyPictureWatermark(picture, ScaledMark(watermark, laid.width), c.settings);
}

int Angle(const StepContext& c) { return c.switches.rotation; }

// A frame takes at most half of the picture's shorter side: a smaller
// picture is written without it (and told), never all frame.
bool FrameFits(PictureSize size, int border) {
  return 4 * border <= std::min(size.width, size.height);
}

// The size the frame's room leaves, so that the frame lies inside the size
// asked in every mode alike: a set size (exact, or a square of a set side)
// was made inside it already; otherwise the picture shrinks so that,
// framed, it keeps the sides its rule sets (the window's width keeps the
// width), at the rule's size when it was brought to it, else at its own.
// None when the picture is too small for the frame.
std::optional<PictureSize> RoomFor(PictureSize size, const StepContext& c) {
  const int frames = 2 * c.extras.border;
  const SizeRule asked = c.AskedRule();
  if (c.FixedSize()) {
    if (!FrameFits({asked.width, asked.height}, c.extras.border)) return std::nullopt;
    return size;
  }
  if (!FrameFits(size, c.extras.border)) return std::nullopt;
  SizeRule inside;
  inside.truncated = asked.truncated || !asked.Any();
  if (!asked.Any()) {
    inside.width = size.width - frames;
  } else {
    const bool brought = (asked.width > 0 && size.width >= asked.width) ||
                         (asked.height > 0 && size.height >= asked.height);
    if (asked.width > 0) inside.width = (brought ? asked.width : size.width) - frames;
    if (asked.height > 0) inside.height = (brought ? asked.height : size.height) - frames;
  }
  return ScaledSize(size, inside);
}

// The same, a picture too small for its frame left unframed (and told).
std::optional<PictureSize> FrameRoom(PictureSize size, StepContext& c) {
  const auto room = RoomFor(size, c);
  if (room) return room;
  c.extras.border = 0;
  c.unframed = true;
  return size;
}

PictureSize SizeOf(const vips::VImage& picture) { return {picture.width(), picture.height()}; }

// The plain ground made white; a canvas then is white too. Without a plain
// ground, the picture as it is, and told.
vips::VImage Whitened(const vips::VImage& picture, StepContext& c) {
  const auto white = OnWhiteGround(OnWhite(picture), c.extras.white_ground);
  if (!white) {
    c.ground_kept = true;
    return picture;
  }
  c.ground = std::array<double, 3>{255, 255, 255};
  return *white;
}

const std::vector<PictureStep> kSteps = {
    // First, so that the trim finds the white ground and the canvas is it.
    {"white ground", [](const StepContext& c) { return c.Acts("white_ground"); }, Whitened,
     [](PictureSize size, StepContext&) -> std::optional<PictureSize> { return size; }, 3},
    {"trim", [](const StepContext& c) { return c.Acts("trim"); }, Trimmed,
     [](PictureSize, StepContext& c) -> std::optional<PictureSize> {
       // The product's own size, unless laid on a canvas of a set size.
       if (!c.Canvas() || !c.Rule().Any()) return std::nullopt;
       return CanvasSize({}, c);
     },
     0},
    {"size", [](const StepContext& c) { return c.Rule().Any() || c.RoomInSize(); },
     [](const vips::VImage& p, StepContext& c) { return SizedByRule(p, c); },
     [](PictureSize size, StepContext& c) -> std::optional<PictureSize> {
       if (c.extras.trim > 0) return size;  // the canvas's, told by the trim
       const SizeRule rule = c.Rule();
       const PictureSize scaled = ScaledSize(c.original.value_or(size), rule);
       if (c.RoomInSize()) return FrameRoom(scaled, c);
       return rule.Cuts() ? CutSize(scaled, rule) : scaled;
     },
     0},
    {"auto level", [](const StepContext& c) { return c.Acts("auto_level"); },
     [](const vips::VImage& p, StepContext&) { return AutoLevelled(p); },
     [](PictureSize size, StepContext&) -> std::optional<PictureSize> { return size; }, 1},
    {"sharpen", [](const StepContext& c) { return c.Acts("sharpen"); },
     [](const vips::VImage& p, StepContext& c) { return Sharpened(p, c.extras.sharpen); },
     [](PictureSize size, StepContext&) -> std::optional<PictureSize> { return size; }, 1},
    // (An exact size cut from a picture smaller than it is laid on its
    // canvas too: the size is kept.)
    {"canvas", [](const StepContext& c) { return c.Canvas() || c.Rule().Cuts(); },
     [](const vips::VImage& p, StepContext& c) {
       // (A picture of the canvas's size too: a colour given lies under its
       // transparency.)
       return OnBlank(p, *CanvasSize(SizeOf(p), c), c.extras, c.ground);
     },
     [](PictureSize size, StepContext& c) { return CanvasSize(size, c); }, 0},
    {"frame room", [](const StepContext& c) { return c.Acts("border") && !c.RoomInSize(); },
     [](const vips::VImage& p, StepContext& c) { return Sized(p, *FrameRoom(SizeOf(p), c)); },
     FrameRoom, 0},
    {"rotate", [](const StepContext& c) { return c.switches.rotation != 0; },
     [](const vips::VImage& p, StepContext& c) { return p.rot(ClockwiseAngle(Angle(c))); },
     [](PictureSize size, StepContext& c) -> std::optional<PictureSize> {
       if (Angle(c) != 180) std::swap(size.width, size.height);
       return size;
     },
     0},
    {"mirror", [](const StepContext& c) { return c.Acts("mirror"); },
     [](const vips::VImage& p, StepContext&) { return p.fliphor(); },
     [](PictureSize size, StepContext&) -> std::optional<PictureSize> { return size; }, 0},
};

}  // namespace

const std::vector<PictureStep>& PictureSteps() { return kSteps; }

int StepCopies(const StepContext& context) {
  int copies = 0;
  for (const PictureStep& step : kSteps) {
    if (step.on(context)) copies = std::max(copies, step.copies);
  }
  return copies;
}

bool StepContext::Acts(std::string_view key) const {
  const OperationField* row = FindOperation(key);
  return row != nullptr && row->Acts(extras, {switches.text_watermark, switches.picture_watermark});
}

SizeRule StepContext::AskedRule() const {
  SizeRule rule = SizeRuleOf(switches.width ? settings.width : 0, extras);
  // The sizes of the operations are the output's: a picture to be turned a
  // quarter is sized across what will be its height.
  if (Angle(*this) % 180 != 0 && !rule.truncated) {
    std::swap(rule.width, rule.height);
  }
  return rule;
}

bool StepContext::FixedSize() const {
  const SizeRule rule = AskedRule();
  return rule.exact || (extras.square && rule.Any());
}

SizeRule StepContext::Rule() const {
  SizeRule rule = AskedRule();
  // A set size is made inside its frame; other sizes make room for the
  // frame once the picture is made (the frame room step).
  if (extras.border > 0 && FixedSize() && FrameFits({rule.width, rule.height}, extras.border)) {
    const int frames = 2 * extras.border;
    rule.width -= frames;
    rule.height -= frames;
  }
  return rule;
}

bool StepContext::RoomInSize() const {
  return extras.border > 0 && extras.trim <= 0 && !Canvas() && !Rule().Cuts();
}

bool StepContext::Canvas() const {
  const SizeRule rule = Rule();
  return extras.square || (rule.exact && !rule.Cuts());
}

PictureSize ReadSize(PictureSize original, const StepContext& c) {
  const SizeRule rule = c.Rule();
  const PictureSize scaled = rule.Any() ? ScaledSize(original, rule) : original;
  if (c.RoomInSize()) return RoomFor(scaled, c).value_or(scaled);
  if (c.extras.trim <= 0 || !rule.Any()) return scaled;
  // A product to be cut out is read larger, as it is a part of the picture:
  // one a third of the picture wide still fills its size at full detail.
  const double larger = 3.0 * scaled.width / original.width;
  if (larger >= 1) return original;
  return {std::max(1, static_cast<int>(original.width * larger)),
          std::max(1, static_cast<int>(original.height * larger))};
}

const std::vector<PartStep>& PartSteps() {
  static const std::vector<PartStep> steps = {
      {"text mark",
       [](const StepContext& c, const vips::VImage*) { return c.switches.text_watermark; },
       [](vips::VImage& part, const StepContext& c, const vips::VImage* mark) {
         return ApplyTextWatermark(part, c, mark);
       }},
      {"picture mark",
       [](const StepContext& c, const vips::VImage* mark) {
         return c.switches.picture_watermark && mark != nullptr;
       },
       [](vips::VImage& part, const StepContext& c, const vips::VImage* mark) {
         LayPictureMark(part, *mark, c);
         return true;
       }},
  };
  return steps;
}

OutputShape PartsShape(PictureSize made, const ExtraOperations& extras) {
  const int frames = 2 * extras.border;
  const PictureSize framed{made.width + frames, made.height + frames};
  return {framed, SliceHeights(framed.height, extras.slice_height)};
}

vips::VImage FinishedPart(const vips::VImage& base, int top, int height, const StepContext& c,
                          const vips::VImage* watermark, bool& marked) {
  const int b = c.extras.border, h = base.height();
  // The rows of the picture itself in this part of the framed picture.
  const int from = std::clamp(top - b, 0, h), to = std::clamp(top + height - b, 0, h);
  std::optional<vips::VImage> part;
  if (to > from) {
    part = from == 0 && to == h ? base : base.crop(0, from, base.width(), to - from);
    for (const PartStep& step : PartSteps()) {
      if (step.on(c, watermark)) marked = step.apply(*part, c, watermark) && marked;
    }
  }
  if (b <= 0) return *part;
  // The frame's share of this part: the sides, the top on the first part,
  // the bottom on the last, so the parts stacked are the framed picture.
  const int width = base.width() + 2 * b;
  if (!part) {  // all frame
    return vips::VImage::black(width, height, vips::VImage::option()->set("bands", base.bands()))
        .new_from_image(CanvasColour(base, c.extras.border_colour, {0, 0, 0}))
        .copy(vips::VImage::option()->set("interpretation", base.interpretation()));
  }
  return OnCanvas(*part, b, from + b - top, width, height, c.extras.border_colour, {0, 0, 0});
}

}  // namespace lumivane
