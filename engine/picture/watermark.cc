#include "engine/picture/watermark.h"

#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/picture/font_resolver.h"
#include "engine/picture/text_mask.h"

namespace lumivane {

namespace {

// Blends `colour` (3 bands) into `picture` at (x, y) by `alpha` (one band,
// 0 to 255), cutting off what falls outside.
void LayOver(vips::VImage& picture, const vips::VImage& colour, const vips::VImage& alpha, long x,
             long y) {
  const long left = std::max(0L, x), top = std::max(0L, y);
  const long right = std::min<long>(picture.width(), x + colour.width());
  const long bottom = std::min<long>(picture.height(), y + colour.height());
  if (left >= right || top >= bottom) return;
  const int w = static_cast<int>(right - left), h = static_cast<int>(bottom - top);
  const int mx = static_cast<int>(left - x), my = static_cast<int>(top - y);
  const vips::VImage under = picture.crop(static_cast<int>(left), static_cast<int>(top), w, h);
  const vips::VImage cover = alpha.crop(mx, my, w, h);
  vips::VImage blended = cover.ifthenelse(
      colour.crop(mx, my, w, h), under.extract_band(0, vips::VImage::option()->set("n", 3)),
      vips::VImage::option()->set("blend", true));
  // Where the picture keeps transparency, the mark makes it as opaque as
  // the mark is.
  if (picture.bands() == 4) {
    const vips::VImage opaque = under.extract_band(3);
    blended = blended.bandjoin((opaque > cover).ifthenelse(opaque, cover));
  }
  picture = picture.insert(blended.cast(VIPS_FORMAT_UCHAR), static_cast<int>(left),
                           static_cast<int>(top));
}

// Lays the text's `coverage` (one band, 0 to 255) at (x, y): its shadow,
// its outline, then its letters.
void LayText(vips::VImage& picture, const vips::VImage& coverage, const std::array<double, 3>& rgb,
             double opacity, long x, long y, const TextLook& look) {
  auto tint = [&](const vips::VImage& alpha, const std::array<double, 3>& c) {
    return alpha.new_from_image(std::vector<double>(c.begin(), c.end()));
  };
  if (look.shadow) {
    // Soft and a little below right; dark under light text, light under dark.
    const double sigma = std::max(1.0, coverage.height() / 12.0);
    const int reach = static_cast<int>(std::ceil(3 * sigma)), drop = std::max(1, reach / 3);
    const vips::VImage soft =
        coverage.embed(reach, reach, coverage.width() + 2 * reach, coverage.height() + 2 * reach)
            .gaussblur(sigma);
    const bool light = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2] > 128;
    const std::array<double, 3> shade =
        light ? std::array<double, 3>{0, 0, 0} : std::array<double, 3>{255, 255, 255};
    LayOver(picture, tint(soft, shade), soft * (0.7 * opacity), x - reach + drop, y - reach + drop);
  }
  if (look.outline > 0) {
    // Letters and outline as one mark, then its opacity: a translucent
    // letter does not show the outline under it.
    const int o = look.outline, side = 2 * o + 1;
    const vips::VImage letters =
        coverage.embed(o, o, coverage.width() + 2 * o, coverage.height() + 2 * o);
    const vips::VImage wide = letters.rank(side, side, side * side - 1);
    const auto colour = ParseHtmlColour(look.outline_colour).value_or(std::array<double, 3>{});
    const vips::VImage mark = letters.ifthenelse(tint(letters, rgb), tint(letters, colour),
                                                 vips::VImage::option()->set("blend", true));
    LayOver(picture, mark, opacity < 1.0 ? wide * opacity : wide, x - o, y - o);
    return;
  }
  LayOver(picture, tint(coverage, rgb), opacity < 1.0 ? coverage * opacity : coverage, x, y);
}

}  // namespace

Offset PictureWatermarkOffset(long W, long H, long w, long h, Placement horizontal,
                              Placement vertical) {
  Offset o;
  if (horizontal.direction == kNearEdge) {
    o.x = horizontal.margin;
  } else if (horizontal.direction == kCentred) {
    o.x = (W - w) / 2;  // truncated toward zero, also when negative
  } else {
    o.x = W - w - horizontal.margin;
  }
  if (vertical.direction == kNearEdge) {
    o.y = vertical.margin;
  } else if (vertical.direction == kCentred) {
    o.y = (H - h) / 2;
  } else {
    o.y = H - vertical.margin - h;
  }
  return o;
}

void CompositePictureWatermark(vips::VImage& picture, const vips::VImage& mark,
                               Placement horizontal, Placement vertical) {
  const Offset o = PictureWatermarkOffset(picture.width(), picture.height(), mark.width(),
                                          mark.height(), horizontal, vertical);
  const vips::VImage alpha =
      mark.bands() == 4 ? mark.extract_band(3) : mark.new_from_image(std::vector<double>{255});
  LayOver(picture, mark.extract_band(0, vips::VImage::option()->set("n", 3)), alpha, o.x, o.y);
}

bool DrawTextWatermark(vips::VImage& picture, Placement horizontal, Placement vertical,
                       const FontChoice& asked, double opacity, const std::string& text,
                       const TextLook& look, bool* shrunk) {
  const std::array<double, 3> rgb = RgbOf(asked.sy_text_rgbColors);
  const double W = picture.width(), H = picture.height();
  // Laid out first (nothing drawn): a text longer than its room is drawn
  // smaller, whole, never cut at the picture's edge.
  FontChoice font = asked;
  double advance = 0;
  RenderTextMask(text, asked, [&](const TextMask& m) {
    advance = m.advance;
    return InkWindow{0, 0, 0, 0};
  });
  const double room = W - (horizontal.direction == kCentred ? 0 : horizontal.margin);
  if (advance > room) {
    const int size = static_cast<int>(asked.sy_text_fontSize * std::max(0.0, room) / advance);
    if (size < kSmallestText) return false;
    font.sy_text_fontSize = size;
    if (shrunk) *shrunk = true;
  }
  // The pen's start on the baseline, from the text's measures.
  auto pen = [&](const TextMask& m) {
    double x, y;
    if (horizontal.direction == kNearEdge) {
      x = horizontal.margin;
    } else if (horizontal.direction == kCentred) {
      x = (W - m.advance) * 0.5;
    } else {
      x = W - m.advance - horizontal.margin;
    }
    if (vertical.direction == kNearEdge) {
      y = m.ascent + vertical.margin;
    } else if (vertical.direction == kCentred) {
      y = (m.ascent + H) * 0.5;
    } else {
      y = H - vertical.margin;
    }
    return std::pair{std::lround(x), std::lround(y)};
  };
  // Only the ink that falls on the picture is drawn.
  const auto mask = RenderTextMask(text, font, [&](const TextMask& m) {
    const auto [x, y] = pen(m);
    const long left = x + m.ink_x, top = y + m.ink_y;
    const long from_x = std::max(0L, -left), from_y = std::max(0L, -top);
    auto fit = [](long v) { return static_cast<int>(std::clamp(v, -1L, 1L << 30)); };
    return InkWindow{fit(from_x), fit(from_y), fit(static_cast<long>(W) - left - from_x),
                     fit(static_cast<long>(H) - top - from_y)};
  });
  if (!mask) return false;
  if (mask->width == 0) return true;  // none of it on the picture
  const auto [x, y] = pen(*mask);
  // A copy: the mask's own memory ends with this call, the picture's
  // pixels are computed later.
  const vips::VImage coverage(vips_image_new_from_memory_copy(mask->coverage.data(),
                                                              mask->coverage.size(), mask->width,
                                                              mask->height, 1, VIPS_FORMAT_UCHAR));
  LayText(picture, coverage, rgb, opacity, x + mask->ink_x, y + mask->ink_y, look);
  return true;
}

bool DrawTiledTextWatermark(vips::VImage& picture, const FontChoice& font, double opacity,
                            const std::string& text, const TextLook& look) {
  const std::array<double, 3> rgb = RgbOf(font.sy_text_rgbColors);
  // A text far longer than the picture is cut: no more of it could show.
  const int reach = picture.width() + picture.height();
  const auto mask = RenderTextMask(text, font, [&](const TextMask&) {
    return InkWindow{0, 0, reach, reach};
  });
  if (!mask || mask->width == 0) return false;
  const vips::VImage coverage(vips_image_new_from_memory_copy(mask->coverage.data(),
                                                              mask->coverage.size(), mask->width,
                                                              mask->height, 1, VIPS_FORMAT_UCHAR));
  vips::VImage turned = coverage.similarity(vips::VImage::option()->set("angle", -30.0));
  // Cells a little wider than the turned text; every quarter of the
  // picture holds a whole cell, so a text too large for that is made smaller.
  const double fit = std::min({1.0, picture.width() / (2.0 * 1.2 * turned.width()),
                               picture.height() / (2.0 * turned.height())});
  if (fit < 1.0) turned = turned.resize(fit);
  const int cell_w = std::max(2, static_cast<int>(turned.width() * 1.2));
  const int cell_h = std::max(1, turned.height());
  const vips::VImage cell = turned.embed((cell_w - turned.width()) / 2, 0, cell_w, cell_h);
  // Two rows, the second moved by half a cell: the ink of a turned line
  // fills the corners the first row leaves.
  const vips::VImage rows =
      cell.join(cell.wrap(vips::VImage::option()->set("x", cell_w / 2)->set("y", 0)),
                VIPS_DIRECTION_VERTICAL);
  // A cell's middle on the picture's middle.
  auto start = [](int cell, int period, int size) {
    return ((cell / 2 - size / 2) % period + period) % period;
  };
  const int x0 = start(cell_w, cell_w, picture.width());
  const int y0 = start(cell_h, 2 * cell_h, picture.height());
  const vips::VImage alpha = rows.replicate((x0 + picture.width()) / cell_w + 1,
                                            (y0 + picture.height()) / (2 * cell_h) + 1)
                                 .crop(x0, y0, picture.width(), picture.height());
  LayText(picture, alpha, rgb, opacity, 0, 0, look);
  return true;
}

vips::VImage ScaledMark(const vips::VImage& mark, int width) {
  if (width <= 0 || width == mark.width()) return mark;
  // Scaled with its colours weighted by their cover, so edges stay clean;
  // left to be computed as it is laid, so only the part on the picture is
  // ever made (a thin mark scaled to a wide picture would be very tall).
  return mark.premultiply()
      .resize(static_cast<double>(width) / mark.width())
      .unpremultiply()
      .cast(VIPS_FORMAT_UCHAR);
}

}  // namespace lumivane
