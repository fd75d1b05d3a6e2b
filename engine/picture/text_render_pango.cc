// The text drawn by pango through FreeType, as Linux desktops draw it.
#include <pango/pangoft2.h>

#include <memory>
#include <mutex>

#include "engine/picture/font_resolver.h"
#include "engine/picture/text_render.h"

namespace lumivane {
namespace {

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct DescriptionFree {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
struct MetricsUnref {
  void operator()(PangoFontMetrics* m) const { pango_font_metrics_unref(m); }
};

// The layout engine is not safe for concurrent use: one text at a time.
std::mutex& LayoutMutex() {
  static std::mutex mutex;
  return mutex;
}

// Sizes are in points at 72 dots per inch: one point is one pixel.
PangoFontMap* FontMap() {
  static PangoFontMap* map = [] {
    PangoFontMap* m = pango_ft2_font_map_new();
    pango_ft2_font_map_set_resolution(PANGO_FT2_FONT_MAP(m), 72, 72);
    return m;
  }();
  return map;
}

using DescriptionPtr = std::unique_ptr<PangoFontDescription, DescriptionFree>;

DescriptionPtr Describe(const std::string& family, int size, bool bold, bool italic) {
  DescriptionPtr description(pango_font_description_new());
  pango_font_description_set_family(description.get(), family.c_str());
  pango_font_description_set_size(description.get(), size * PANGO_SCALE);
  pango_font_description_set_weight(description.get(),
                                    bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description.get(),
                                   italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

}  // namespace

std::optional<TextMask> RenderText(const std::string& text, const FontChoice& font,
                                   const ChooseInkWindow& choose) {
  const bool bold = font.sy_text_isWeight != 0, italic = font.sy_text_isItalic != 0;
  const ResolvedFont resolved = ResolveFont(font.sy_text_fontName, bold, italic);

  std::lock_guard lock(LayoutMutex());
  GObjectPtr<PangoContext> context(pango_font_map_create_context(FontMap()));
  PangoLanguage* chinese = pango_language_from_string("zh-cn");
  pango_context_set_language(context.get(), chinese);
  const DescriptionPtr description = Describe(resolved.family, font.sy_text_fontSize, bold, italic);

  GObjectPtr<PangoLayout> layout(pango_layout_new(context.get()));
  pango_layout_set_font_description(layout.get(), description.get());
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(layout.get(), &ink, &logical);
  if (ink.width <= 0 || ink.height <= 0) return std::nullopt;
  PangoRectangle exact_logical;
  pango_layout_get_extents(layout.get(), nullptr, &exact_logical);
  const int baseline = PANGO_PIXELS(pango_layout_get_baseline(layout.get()));
  std::unique_ptr<PangoFontMetrics, MetricsUnref> metrics(
      pango_context_get_metrics(context.get(), description.get(), chinese));

  TextMask mask;
  mask.width = ink.width;
  mask.height = ink.height;
  mask.ink_x = ink.x;
  mask.ink_y = ink.y - baseline;
  mask.advance = static_cast<double>(exact_logical.width) / PANGO_SCALE;
  mask.ascent = font.sy_text_fontSize -
                static_cast<double>(pango_font_metrics_get_descent(metrics.get())) / PANGO_SCALE;
  const InkWindow part = ClampedWindow(mask, choose);
  mask = PartOf(mask, part);
  if (mask.width == 0) return mask;
  mask.coverage.assign(static_cast<size_t>(part.width) * static_cast<size_t>(part.height), 0);
  FT_Bitmap bitmap{};
  bitmap.rows = static_cast<unsigned>(part.height);
  bitmap.width = static_cast<unsigned>(part.width);
  bitmap.pitch = part.width;
  bitmap.buffer = mask.coverage.data();
  bitmap.num_grays = 256;
  bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
  pango_ft2_render_layout(&bitmap, layout.get(), -ink.x - part.x, -ink.y - part.y);
  return mask;
}

}  // namespace lumivane
