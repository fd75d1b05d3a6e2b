#include "engine/watermark.h"

#include "engine/font_resolver.h"
#include "engine/imaging_environment.h"
#include "engine/magick_handles.h"

namespace lumivane {
namespace {

// Indices into the library's font metrics.
constexpr int kCharacterHeight = 1;
constexpr int kDescender = 3;
constexpr int kBoundsRight = 9;
constexpr int kAdvance = 11;

constexpr double kBoldWeight = 800;

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

void CompositePictureWatermark(MagickWand* picture, MagickWand* mark, Placement horizontal,
                               Placement vertical) {
  Offset o =
      PictureWatermarkOffset(static_cast<long>(MagickGetImageWidth(picture)),
                             static_cast<long>(MagickGetImageHeight(picture)),
                             static_cast<long>(MagickGetImageWidth(mark)),
                             static_cast<long>(MagickGetImageHeight(mark)), horizontal, vertical);
  MagickCompositeImage(picture, mark, OverCompositeOp, o.x, o.y);
}

bool DrawTextWatermark(MagickWand* picture, Placement horizontal, Placement vertical,
                       const FontChoice& font, double opacity, const std::string& text) {
  DrawingWandPtr draw = NewDrawing();
  const long double W = MagickGetImageWidth(picture);
  const long double H = MagickGetImageHeight(picture);
  DrawSetTextEncoding(draw.get(), "UTF-8");
  const std::string font_file = ResolveFontFile(font.sy_text_fontName, font.sy_text_isWeight != 0,
                                                font.sy_text_isItalic != 0);
  DrawSetFont(draw.get(), font_file.c_str());
  if (font.sy_text_fontSize < 1) return false;  // an empty or damaged settings file
  DrawSetFontSize(draw.get(), static_cast<double>(font.sy_text_fontSize));
  if (font.sy_text_isItalic != 0) DrawSetFontStyle(draw.get(), ItalicStyle);
  if (font.sy_text_isWeight != 0) DrawSetFontWeight(draw.get(), kBoldWeight);
  PixelWandPtr colour = NewColour();
  if (PixelSetColor(colour.get(), font.sy_text_htmlColor.c_str()) == MagickFalse) return false;
  DrawSetFillColor(draw.get(), colour.get());
  if (opacity < 1.0) DrawSetFillOpacity(draw.get(), opacity);

  MagickMemoryPtr<double> metrics(MagickQueryFontMetrics(picture, draw.get(), text.c_str()));
  if (!metrics) return false;  // a font that gives no metrics draws nothing
  const long double m1 = metrics.get()[kCharacterHeight];
  const long double m3 = metrics.get()[kDescender];
  const long double advance = metrics.get()[kAdvance];
  const long double ascent = m1 + m3;

  long double x;
  if (horizontal.direction == kNearEdge) {
    x = horizontal.margin;
  } else if (horizontal.direction == kCentred) {
    x = (W - advance) * 0.5L;
  } else {
    x = W - advance - horizontal.margin;
  }
  long double y;  // the baseline
  if (vertical.direction == kNearEdge) {
    y = ascent + vertical.margin;
  } else if (vertical.direction == kCentred) {
    y = (ascent + H) * 0.5L;
  } else {
    y = H - vertical.margin;
  }
  return MagickAnnotateImage(picture, draw.get(), static_cast<double>(x), static_cast<double>(y), 0,
                             text.c_str()) != MagickFalse;
}

bool FontShowsChinese(const FontChoice& font) {
  EnsureImagingEnvironment();
  MagickWandPtr scratch = NewPicture();
  PixelWandPtr colour = NewColour();
  MagickNewImage(scratch.get(), 32, 32, colour.get());
  DrawingWandPtr draw = NewDrawing();
  DrawSetTextEncoding(draw.get(), "UTF-8");
  const std::string font_file = ResolveFontFile(font.sy_text_fontName);
  DrawSetFont(draw.get(), font_file.c_str());
  MagickMemoryPtr<double> latin(MagickQueryFontMetrics(scratch.get(), draw.get(), "a"));
  MagickMemoryPtr<double> chinese(MagickQueryFontMetrics(scratch.get(), draw.get(), "国"));
  if (!latin || !chinese) return false;  // no metrics: the font cannot be used
  return !(latin.get()[kBoundsRight] >= chinese.get()[kBoundsRight]);
}

}  // namespace lumivane
