#include "engine/picture/text_mask.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "engine/picture/text_render.h"

namespace lumivane {

InkWindow ClampedWindow(const TextMask& whole, const ChooseInkWindow& choose) {
  InkWindow part{0, 0, whole.width, whole.height};
  if (!choose) return part;
  const InkWindow w = choose(whole);
  part.x = std::clamp(w.x, 0, whole.width);
  part.y = std::clamp(w.y, 0, whole.height);
  part.width = std::clamp(w.width, 0, whole.width - part.x);
  part.height = std::clamp(w.height, 0, whole.height - part.y);
  return part;
}

TextMask PartOf(const TextMask& mask, const InkWindow& part) {
  TextMask out;
  out.advance = mask.advance;
  out.ascent = mask.ascent;
  out.ink_x = mask.ink_x + part.x;
  out.ink_y = mask.ink_y + part.y;
  if (part.width > 0 && part.height > 0) {
    out.width = part.width;
    out.height = part.height;
  }
  return out;
}

namespace {

// A whole mask is kept for the next picture when it is at most this many
// pixels: a run draws the same text on every picture.
constexpr long kKeptMaskPixels = 4L << 20;

struct KeptMask {
  std::string text;
  FontChoice font;
  std::optional<TextMask> mask;  // the whole ink; none when too large to keep
};

std::mutex& KeptMutex() {
  static std::mutex mutex;
  return mutex;
}
std::shared_ptr<const KeptMask>& Kept() {
  static std::shared_ptr<const KeptMask> kept;
  return kept;
}

}  // namespace

std::optional<TextMask> RenderTextMask(const std::string& text, const FontChoice& font,
                                       const ChooseInkWindow& window) {
  if (font.sy_text_fontSize < 1 || text.empty()) return std::nullopt;
  std::shared_ptr<const KeptMask> kept;
  {
    std::lock_guard lock(KeptMutex());
    kept = Kept();
  }
  if (!kept || kept->text != text || !(kept->font == font)) {
    // Drawn whole when it is small enough to keep; a text far larger than
    // any picture is drawn only where each picture asks, never whole.
    bool whole = false;
    auto first = RenderText(text, font, [&whole](const TextMask& m) {
      whole = static_cast<long>(m.width) * m.height <= kKeptMaskPixels;
      return whole ? InkWindow{0, 0, m.width, m.height} : InkWindow{};
    });
    if (!first) return std::nullopt;
    auto fresh =
        std::make_shared<KeptMask>(KeptMask{text, font, whole ? std::move(first) : std::nullopt});
    std::lock_guard lock(KeptMutex());
    Kept() = fresh;
    kept = std::move(fresh);
  }
  if (!kept->mask) return RenderText(text, font, window);
  const TextMask& whole = *kept->mask;
  const InkWindow part = ClampedWindow(whole, window);
  TextMask mask = PartOf(whole, part);
  if (mask.width == 0) return mask;
  mask.coverage.resize(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height));
  for (int row = 0; row < mask.height; ++row) {
    const auto from =
        whole.coverage.begin() + static_cast<std::ptrdiff_t>(part.y + row) * whole.width + part.x;
    std::copy(from, from + mask.width,
              mask.coverage.begin() + static_cast<std::ptrdiff_t>(row) * mask.width);
  }
  return mask;
}

}  // namespace lumivane
