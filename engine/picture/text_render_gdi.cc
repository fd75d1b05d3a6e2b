// The text drawn by the Windows font system, grey-smoothed, white on black
// into a bitmap of our own; its green samples are the coverage.
#include <windows.h>

#include <algorithm>
#include <mutex>

#include "engine/picture/font_resolver.h"
#include "engine/picture/gdi_font.h"
#include "engine/picture/text_render.h"
#include "platform/windows/wide_text.h"

namespace lumivane {
namespace {

// A text drawn whole to find its ink when its cell is at most this many
// pixels; a larger one is taken to ink its cell and drawn only in part.
constexpr long kWholeDrawingPixels = 16L << 20;

struct Drawing {
  GdiObject bitmap;
  const std::uint32_t* pixels = nullptr;  // width x height, top row first
};

// Draws `text` with its pen starting at (x, baseline) in a bitmap of
// width x height.
Drawing Draw(const GdiFont& font, const std::wstring& text, int width, int height, int x,
             int baseline) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Drawing drawing;
  drawing.bitmap.reset(CreateDIBSection(font.dc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!drawing.bitmap) return drawing;
  std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<size_t>(width) * height, 0u);
  HGDIOBJ replaced = SelectObject(font.dc(), drawing.bitmap.get());
  SetTextColor(font.dc(), RGB(255, 255, 255));
  SetBkMode(font.dc(), TRANSPARENT);
  SetTextAlign(font.dc(), TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
  TextOutW(font.dc(), x, baseline, text.data(), static_cast<int>(text.size()));
  GdiFlush();
  SelectObject(font.dc(), replaced);
  drawing.pixels = static_cast<const std::uint32_t*>(bits);
  return drawing;
}

unsigned char Coverage(std::uint32_t pixel) { return static_cast<unsigned char>(pixel >> 8); }

}  // namespace

std::optional<TextMask> RenderText(const std::string& text, const FontChoice& font,
                                   const ChooseInkWindow& choose) {
  const bool bold = font.sy_text_isWeight != 0, italic = font.sy_text_isItalic != 0;
  const ResolvedFont resolved = ResolveFont(font.sy_text_fontName, bold, italic);
  const std::wstring wide = platform::Wide(text);
  static std::mutex mutex;  // one drawing at a time, as on every system
  std::lock_guard lock(mutex);
  const GdiFont face(platform::Wide(resolved.family), font.sy_text_fontSize, bold, italic);
  TEXTMETRICW metrics{};
  SIZE extent{};
  if (!GetTextMetricsW(face.dc(), &metrics) ||
      !GetTextExtentPoint32W(face.dc(), wide.data(), static_cast<int>(wide.size()), &extent)) {
    return std::nullopt;
  }
  // Room around the cell for what leans or overhangs out of it.
  const int pad = metrics.tmHeight / 2 + metrics.tmOverhang + 2;
  const int cell_width = extent.cx + 2 * pad, cell_height = metrics.tmHeight + 2 * pad;
  const int baseline = pad + metrics.tmAscent;

  TextMask mask;
  mask.advance = extent.cx;
  mask.ascent = font.sy_text_fontSize - metrics.tmDescent;
  if (static_cast<long>(cell_width) * cell_height <= kWholeDrawingPixels) {
    const Drawing whole = Draw(face, wide, cell_width, cell_height, pad, baseline);
    if (!whole.pixels) return std::nullopt;
    int left = cell_width, top = cell_height, right = -1, bottom = -1;
    for (int y = 0; y < cell_height; ++y) {
      for (int x = 0; x < cell_width; ++x) {
        if (Coverage(whole.pixels[static_cast<size_t>(y) * cell_width + x]) == 0) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    if (right < 0) return std::nullopt;
    mask.width = right - left + 1;
    mask.height = bottom - top + 1;
    mask.ink_x = left - pad;
    mask.ink_y = top - baseline;
    const InkWindow part = ClampedWindow(mask, choose);
    TextMask drawn = PartOf(mask, part);
    if (drawn.width == 0) return drawn;
    drawn.coverage.resize(static_cast<size_t>(drawn.width) * drawn.height);
    for (int y = 0; y < drawn.height; ++y) {
      for (int x = 0; x < drawn.width; ++x) {
        drawn.coverage[static_cast<size_t>(y) * drawn.width + x] = Coverage(
            whole.pixels[static_cast<size_t>(top + part.y + y) * cell_width + left + part.x + x]);
      }
    }
    return drawn;
  }
  // Far larger than any picture: the cell stands for the ink, and only the
  // part asked for is drawn.
  if (extent.cx <= 0) return std::nullopt;
  mask.width = extent.cx;
  mask.height = metrics.tmHeight;
  mask.ink_x = 0;
  mask.ink_y = -metrics.tmAscent;
  const InkWindow part = ClampedWindow(mask, choose);
  TextMask drawn = PartOf(mask, part);
  if (drawn.width == 0) return drawn;
  const Drawing piece =
      Draw(face, wide, drawn.width, drawn.height, -part.x, metrics.tmAscent - part.y);
  if (!piece.pixels) return std::nullopt;
  drawn.coverage.resize(static_cast<size_t>(drawn.width) * drawn.height);
  std::transform(piece.pixels, piece.pixels + drawn.coverage.size(), drawn.coverage.begin(),
                 Coverage);
  return drawn;
}

}  // namespace lumivane
