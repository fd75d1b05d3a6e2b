#include "settings/options_file.h"

#include <charconv>

#include "platform/file_system.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

int Number(std::string_view text, int fallback) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0 ? value : fallback;
}

std::string FilePath() { return platform::JoinPath(ProgramFolder(), kOptionsFileName); }

}  // namespace

std::string ComposeOptionsText(const ExtraOperations& o) {
  return "square=" + std::to_string(o.square ? 1 : 0) + "\nsquare_colour=" + o.square_colour +
         "\nmax_kb=" + std::to_string(o.max_kb) +
         "\nslice_height=" + std::to_string(o.slice_height) +
         "\ntiled_text=" + std::to_string(o.tiled_text ? 1 : 0) +
         "\nmark_width_percent=" + std::to_string(o.mark_width_percent) + "\n";
}

ExtraOperations ParseOptionsText(std::string_view text) {
  ExtraOperations o;
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    const std::string line = TrimSpaces(text.substr(0, lf));
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "square") o.square = value == "1";
    if (key == "square_colour" && value.size() == 7 && value[0] == '#') o.square_colour = value;
    // Off stays off; any other number is brought into what the dialog offers.
    auto in = [](const ValueRange& range, int v) { return v == 0 ? 0 : range.Clamp(v); };
    if (key == "max_kb") o.max_kb = in(kMaxKbRange, Number(value, 0));
    if (key == "slice_height") o.slice_height = in(kSliceHeightRange, Number(value, 0));
    if (key == "tiled_text") o.tiled_text = value == "1";
    if (key == "mark_width_percent") o.mark_width_percent = in(kMarkWidthRange, Number(value, 0));
  }
  return o;
}

ExtraOperations LoadExtraOperations() {
  auto bytes = platform::ReadRegularFile(FilePath(), 1 << 16);
  return bytes ? ParseOptionsText(DecodeSettingsFile(*bytes)) : ExtraOperations{};
}

void SaveExtraOperations(const ExtraOperations& operations) {
  platform::WriteFileAtomically(FilePath(), EncodeSettingsFile(ComposeOptionsText(operations)));
}

}  // namespace lumivane
