// The system's own text drawing behind RenderTextMask: pango on Linux
// (text_render_pango.cc), GDI on Windows (text_render_gdi.cc).
#ifndef LUMIVANE_ENGINE_PICTURE_TEXT_RENDER_H_
#define LUMIVANE_ENGINE_PICTURE_TEXT_RENDER_H_

#include <optional>
#include <string>

#include "engine/picture/text_mask.h"

namespace lumivane {

// Lays the text out and draws the part of its ink that `choose` picks.
std::optional<TextMask> RenderText(const std::string& text, const FontChoice& font,
                                   const ChooseInkWindow& choose);

// The window `choose` asks for, clamped into the ink.
InkWindow ClampedWindow(const TextMask& whole, const ChooseInkWindow& choose);

// `mask`'s measures for the part `part` of its ink, coverage empty.
TextMask PartOf(const TextMask& mask, const InkWindow& part);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_TEXT_RENDER_H_
