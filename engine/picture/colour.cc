#include "engine/picture/colour.h"

#include <algorithm>
#include <cstdio>

namespace lumivane {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::array<double, 3>> ParseHtmlColour(const std::string& html) {
  if (html.size() != 7 || html[0] != '#') return std::nullopt;
  std::array<double, 3> rgb{};
  for (size_t i = 0; i < 3; ++i) {
    const int high = HexDigit(html[1 + 2 * i]), low = HexDigit(html[2 + 2 * i]);
    if (high < 0 || low < 0) return std::nullopt;
    rgb[i] = high * 16 + low;
  }
  return rgb;
}

bool IsColourTextBeginning(const std::string& text) {
  if (text.empty()) return true;
  if (text.size() > 7 || text[0] != '#') return false;
  for (size_t i = 1; i < text.size(); ++i) {
    if (HexDigit(text[i]) < 0) return false;
  }
  return true;
}

std::string HtmlColorText(std::uint32_t c) {
  char text[8];
  std::snprintf(text, sizeof(text), "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return text;
}

std::uint32_t BgrOf(const std::array<double, 3>& rgb) {
  auto level = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0)); };
  return level(rgb[0]) | level(rgb[1]) << 8 | level(rgb[2]) << 16;
}

std::array<double, 3> RgbOf(std::uint32_t bgr) {
  return {static_cast<double>(bgr & 0xFF), static_cast<double>((bgr >> 8) & 0xFF),
          static_cast<double>((bgr >> 16) & 0xFF)};
}

}  // namespace lumivane
