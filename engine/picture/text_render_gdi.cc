// The text drawn by the Windows font system, glyph by glyph: each glyph's
// own grey levels (without the gamma the system's text drawing adds), so
// that a mark looks as it does on Linux.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "engine/picture/font_resolver.h"
#include "engine/picture/gdi_font.h"
#include "engine/picture/text_render.h"
#include "platform/windows/wide_text.h"

namespace lumivane {
namespace {

constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// Where one glyph's ink lies: from the pen's start on the baseline, y down.
struct GlyphBox {
  wchar_t character = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

// The pen's position before each character: each character's advance at
// this size, in whole pixels, as the Linux layout steps too (so that a line
// comes out the same length on both).
std::vector<int> PenPositions(const GdiFont& font, const std::wstring& text, int& advance) {
  std::vector<int> positions;
  advance = 0;
  for (wchar_t c : text) {
    positions.push_back(advance);
    SIZE one{};
    GetTextExtentPoint32W(font.dc(), &c, 1, &one);
    advance += one.cx;
  }
  return positions;
}

// Each character's ink box; none for one without ink (a space).
std::vector<GlyphBox> Boxes(const GdiFont& font, const std::wstring& text,
                            const std::vector<int>& pens) {
  std::vector<GlyphBox> boxes;
  for (size_t i = 0; i < text.size(); ++i) {
    GLYPHMETRICS m{};
    const DWORD bytes =
        GetGlyphOutlineW(font.dc(), text[i], GGO_GRAY8_BITMAP, &m, 0, nullptr, &kIdentity);
    if (bytes == GDI_ERROR || bytes == 0) continue;
    boxes.push_back({text[i], pens[i] + m.gmptGlyphOrigin.x, -m.gmptGlyphOrigin.y,
                     static_cast<int>(m.gmBlackBoxX), static_cast<int>(m.gmBlackBoxY)});
  }
  return boxes;
}

// Draws the glyphs that reach into `part` of the ink (whose top-left is
// `ink_x`, `ink_y` from the pen's start) into `coverage`.
void DrawGlyphs(const GdiFont& font, const std::vector<GlyphBox>& boxes, int ink_x, int ink_y,
                const InkWindow& part, std::vector<unsigned char>& coverage) {
  std::vector<unsigned char> bitmap;
  for (const GlyphBox& box : boxes) {
    const int left = box.x - ink_x - part.x, top = box.y - ink_y - part.y;
    if (left >= part.width || top >= part.height || left + box.width <= 0 ||
        top + box.height <= 0) {
      continue;
    }
    GLYPHMETRICS m{};
    const DWORD bytes =
        GetGlyphOutlineW(font.dc(), box.character, GGO_GRAY8_BITMAP, &m, 0, nullptr, &kIdentity);
    if (bytes == GDI_ERROR || bytes == 0) continue;
    bitmap.assign(bytes, 0);
    GetGlyphOutlineW(font.dc(), box.character, GGO_GRAY8_BITMAP, &m, bytes, bitmap.data(),
                     &kIdentity);
    const int pitch = (box.width + 3) & ~3;  // rows end on four bytes
    for (int y = std::max(0, -top); y < box.height && top + y < part.height; ++y) {
      for (int x = std::max(0, -left); x < box.width && left + x < part.width; ++x) {
        // 65 levels, 0 to 64.
        const int level = std::min<int>(bitmap[static_cast<size_t>(y) * pitch + x], 64);
        unsigned char& at = coverage[static_cast<size_t>(top + y) * part.width + left + x];
        at = std::max(at, static_cast<unsigned char>((level * 255 + 32) / 64));
      }
    }
  }
}

}  // namespace

std::optional<TextMask> RenderText(const std::string& text, const FontChoice& font,
                                   const ChooseInkWindow& choose) {
  const bool bold = font.sy_text_isWeight != 0, italic = font.sy_text_isItalic != 0;
  const ResolvedFont resolved = ResolveFont(font.sy_text_fontName, bold, italic);
  const std::wstring wide = platform::Wide(text);
  static std::mutex mutex;  // one text at a time, as on every system
  std::lock_guard lock(mutex);
  const GdiFont face(platform::Wide(resolved.family), font.sy_text_fontSize, bold, italic);
  TEXTMETRICW metrics{};
  if (!GetTextMetricsW(face.dc(), &metrics)) return std::nullopt;
  int advance = 0;
  const std::vector<int> pens = PenPositions(face, wide, advance);
  const std::vector<GlyphBox> boxes = Boxes(face, wide, pens);
  if (boxes.empty()) return std::nullopt;
  int left = boxes[0].x, top = boxes[0].y, right = left, bottom = top;
  for (const GlyphBox& b : boxes) {
    left = std::min(left, b.x), top = std::min(top, b.y);
    right = std::max(right, b.x + b.width), bottom = std::max(bottom, b.y + b.height);
  }
  TextMask mask;
  mask.width = right - left;
  mask.height = bottom - top;
  mask.ink_x = left;
  mask.ink_y = top;
  mask.advance = advance;
  mask.ascent = font.sy_text_fontSize - metrics.tmDescent;
  const InkWindow part = ClampedWindow(mask, choose);
  TextMask drawn = PartOf(mask, part);
  if (drawn.width == 0) return drawn;
  drawn.coverage.assign(static_cast<size_t>(part.width) * part.height, 0);
  DrawGlyphs(face, boxes, mask.ink_x, mask.ink_y, part, drawn.coverage);
  return drawn;
}

}  // namespace lumivane
