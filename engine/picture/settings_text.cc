#include "engine/picture/settings_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <variant>
#include <vector>

#include "engine/picture/colour.h"
#include "platform/file_system.h"

namespace lumivane {
namespace {

// The key that holds the text's colour as the "#rrggbb" it prints.
struct PrintedColour {};

using Field = std::variant<std::int32_t ProcessingSettings::*, std::uint32_t ProcessingSettings::*,
                           std::string ProcessingSettings::*, std::int32_t FontChoice::*,
                           std::uint32_t FontChoice::*, std::string FontChoice::*, PrintedColour>;

struct Key {
  const char* name;
  Field field;
};

// The order in which the keys are written.
const std::vector<Key>& Keys() {
  static const std::vector<Key> keys = {
      {"width", &ProcessingSettings::width},
      {"quanlity", &ProcessingSettings::quanlity},
      {"sy_text", &ProcessingSettings::sy_text},
      {"sy_text_opacity", &ProcessingSettings::sy_text_opacity},
      {"sy_text_w_direction", &ProcessingSettings::sy_text_w_direction},
      {"sy_text_w_value", &ProcessingSettings::sy_text_w_value},
      {"sy_text_h_direction", &ProcessingSettings::sy_text_h_direction},
      {"sy_text_h_value", &ProcessingSettings::sy_text_h_value},
      {"sy_text_fontName", &FontChoice::sy_text_fontName},
      {"sy_text_fontSize", &FontChoice::sy_text_fontSize},
      {"sy_text_isItalic", &FontChoice::sy_text_isItalic},
      {"sy_text_isWeight", &FontChoice::sy_text_isWeight},
      {"sy_text_htmlColor", PrintedColour{}},
      {"sy_text_rgbColors", &FontChoice::sy_text_rgbColors},
      {"sy_image", &ProcessingSettings::sy_image},
      {"sy_image_w_direction", &ProcessingSettings::sy_image_w_direction},
      {"sy_image_w_value", &ProcessingSettings::sy_image_w_value},
      {"sy_image_h_direction", &ProcessingSettings::sy_image_h_direction},
      {"sy_image_h_value", &ProcessingSettings::sy_image_h_value},
  };
  return keys;
}

// A decimal integer at the start of the value (leading blanks and a sign
// allowed); nothing when there is none or it does not fit the field.
template <typename T>
bool ParseLeadingInteger(std::string_view value, T& out) {
  size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
  if (i < value.size() && value[i] == '+') ++i;
  std::int64_t parsed = 0;
  auto [end, ec] = std::from_chars(value.data() + i, value.data() + value.size(), parsed);
  if (ec != std::errc() || end == value.data() + i) return false;
  if (parsed < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
      parsed > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
    return false;
  }
  out = static_cast<T>(parsed);
  return true;
}

// A line feed inside a value would split the line when it is read back.
std::string OneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\n') c = ' ';
  }
  return out;
}

struct Writer {
  const ProcessingSettings& s;
  std::string operator()(std::int32_t ProcessingSettings::*f) const { return std::to_string(s.*f); }
  std::string operator()(std::uint32_t ProcessingSettings::*f) const {
    // Written signed, as the file has always held these values.
    return std::to_string(static_cast<std::int32_t>(s.*f));
  }
  std::string operator()(std::string ProcessingSettings::*f) const { return OneLine(s.*f); }
  std::string operator()(std::int32_t FontChoice::*f) const {
    return std::to_string(s.sy_text_font.*f);
  }
  std::string operator()(std::uint32_t FontChoice::*f) const {
    return std::to_string(static_cast<std::int32_t>(s.sy_text_font.*f));
  }
  std::string operator()(std::string FontChoice::*f) const { return OneLine(s.sy_text_font.*f); }
  std::string operator()(PrintedColour) const {
    return HtmlColorText(s.sy_text_font.sy_text_rgbColors);
  }
};

struct Reader {
  ProcessingSettings& s;
  std::string_view value;
  std::optional<std::uint32_t>& printed;
  void operator()(std::int32_t ProcessingSettings::*f) const { ParseLeadingInteger(value, s.*f); }
  void operator()(std::uint32_t ProcessingSettings::*f) const {
    std::int32_t v;
    if (ParseLeadingInteger(value, v)) s.*f = static_cast<std::uint32_t>(v);
  }
  void operator()(std::string ProcessingSettings::*f) const { s.*f = std::string(value); }
  void operator()(std::int32_t FontChoice::*f) const {
    if (!ParseLeadingInteger(value, s.sy_text_font.*f)) return;
    if (f == &FontChoice::sy_text_fontSize) {
      // Written by hand as 4000, it would ask gigabytes of every picture.
      // (A size below the dialog's draws small or nothing, and 0 is what a
      // record without the key holds.)
      s.sy_text_font.*f = std::min(s.sy_text_font.*f, kMaxFontSize);
    }
  }
  void operator()(std::uint32_t FontChoice::*f) const {
    std::int64_t v;
    if (ParseLeadingInteger(value, v) && v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::uint32_t>::max()) {
      // A colour has three bytes: the number's fourth is no part of it.
      s.sy_text_font.*f = static_cast<std::uint32_t>(v) & 0xFFFFFF;
    }
  }
  void operator()(std::string FontChoice::*f) const { s.sy_text_font.*f = std::string(value); }
  void operator()(PrintedColour) const {
    if (const auto rgb = ParseHtmlColour(std::string(value))) printed = BgrOf(*rgb);
  }
};

void ParseLine(std::string_view line, ProcessingSettings& settings,
               std::optional<std::uint32_t>& printed) {
  size_t start = line.find_first_not_of('=');
  if (start == std::string_view::npos) return;  // empty, or nothing but "="
  line.remove_prefix(start);
  size_t eq = line.find('=');
  std::string_view key = line.substr(0, eq);
  std::string_view value;
  if (eq != std::string_view::npos) {
    size_t value_start = line.find_first_not_of('=', eq);
    // The value keeps any "=" inside it: only the run after the key separates.
    if (value_start != std::string_view::npos) value = line.substr(value_start);
  }
  for (const auto& k : Keys()) {
    if (key == k.name) {
      std::visit(Reader{settings, value, printed}, k.field);
      return;
    }
  }
}

}  // namespace

std::string ComposeSettingsText(const ProcessingSettings& settings) {
  std::string text;
  for (const auto& k : Keys()) {
    text += k.name;
    text += '=';
    text += std::visit(Writer{settings}, k.field);
    text += '\n';
  }
  return text;
}

void ParseSettingsText(std::string_view text, ProcessingSettings& settings) {
  std::optional<std::uint32_t> printed;
  while (!text.empty()) {
    size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    // A last line without its line feed is read like any other.
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ParseLine(line, settings, printed);
  }
  // The file keeps the text's colour twice, as a number and as the
  // "#rrggbb" it prints: where they disagree, the printed one is the
  // colour (the number where the text is no colour).
  if (printed) settings.sy_text_font.sy_text_rgbColors = *printed;
}

std::string DefaultSettingsText(const std::string& program_folder) {
  ProcessingSettings d;
  d.width = 640;
  d.quanlity = 1;
  d.sy_text = kDefaultWatermarkText;
  d.sy_text_opacity = 0;
  d.sy_text_w_direction = 2;
  d.sy_text_w_value = 16;
  d.sy_text_h_direction = 2;
  d.sy_text_h_value = 16;
  d.sy_text_font = {"Arial", 26, 0, 0, 0};
  // No separator is added: the folder is followed directly by "/images/sy.png".
  d.sy_image =
      program_folder + platform::kPathSeparator + "images" + platform::kPathSeparator + "sy.png";
  d.sy_image_w_direction = 2;
  d.sy_image_w_value = 16;
  d.sy_image_h_direction = 2;
  d.sy_image_h_value = 16;
  return ComposeSettingsText(d);
}

}  // namespace lumivane
