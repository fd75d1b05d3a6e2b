// The one rule for a colour given as text, wherever it comes from: the
// command line, the dialog, options.dat or presets.
#ifndef LUMIVANE_ENGINE_PICTURE_COLOUR_H_
#define LUMIVANE_ENGINE_PICTURE_COLOUR_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace lumivane {

// "#rrggbb" (either case) as red, green and blue; none for anything else.
std::optional<std::array<double, 3>> ParseHtmlColour(const std::string& html);

// "#rrggbb" from a colour value 0x00BBGGRR (as the settings file keeps
// the text's colour beside its "#rrggbb"), and back.
std::string HtmlColorText(std::uint32_t bgr);
std::uint32_t BgrOf(const std::array<double, 3>& rgb);
std::array<double, 3> RgbOf(std::uint32_t bgr);

// Whether `text` is a colour by that rule.
inline bool IsColourText(const std::string& text) { return ParseHtmlColour(text).has_value(); }

// Whether `text` can still become one as it is typed ("", "#", "#a1" ...).
bool IsColourTextBeginning(const std::string& text);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_COLOUR_H_
