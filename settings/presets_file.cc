#include "settings/presets_file.h"

#include <algorithm>

#include "platform/file_system.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

constexpr char kWidthKey[] = "width=";

std::string FilePath(const std::string& folder) {
  return platform::JoinPath(folder, kPresetsFileName);
}

// The width line of a section: a width the window takes, else none.
int WidthOf(std::string_view section) {
  for (size_t at = 0; at < section.size();) {
    const size_t lf = std::min(section.find('\n', at), section.size());
    const std::string line = TrimSpaces(section.substr(at, lf - at));
    at = lf + 1;
    if (line.rfind(kWidthKey, 0) != 0) continue;
    const auto width = WholeNumber(std::string_view(line).substr(sizeof(kWidthKey) - 1));
    if (width && *width >= 0 && *width <= kMaxWidth) return *width;
  }
  return 0;
}

}  // namespace

std::string ComposePresetsText(const std::vector<Preset>& presets) {
  std::string text;
  for (const Preset& p : presets) {
    text += "[" + p.name + "]\n" + kWidthKey + std::to_string(p.width) + "\n" +
            ComposeOptionsText(p.operations);
  }
  return text;
}

std::vector<Preset> ParsePresetsText(std::string_view text) {
  std::vector<Preset> presets;
  while (!text.empty()) {
    const size_t lf = std::min(text.find('\n'), text.size());
    const std::string line = TrimSpaces(text.substr(0, lf));
    text.remove_prefix(std::min(lf + 1, text.size()));
    if (line.size() < 3 || line.front() != '[' || line.back() != ']') continue;
    // The section runs to the next name.
    size_t end = 0;
    while (end < text.size() && text[end] != '[') {
      end = std::min(text.find('\n', end), text.size()) + 1;
    }
    end = std::min(end, text.size());
    Preset p;
    p.name = line.substr(1, line.size() - 2);
    p.width = WidthOf(text.substr(0, end));
    p.operations = ParseOptionsText(text.substr(0, end));
    presets.push_back(std::move(p));
    text.remove_prefix(end);
  }
  return presets;
}

std::vector<Preset> LoadUserPresets(const std::string& folder) {
  auto bytes = platform::ReadRegularFile(FilePath(folder), 1 << 20);
  return bytes ? ParsePresetsText(DecodeSettingsFile(*bytes)) : std::vector<Preset>{};
}

bool SaveUserPreset(const std::string& folder, const Preset& preset) {
  std::vector<Preset> presets = LoadUserPresets(folder);
  const auto same = std::find_if(presets.begin(), presets.end(),
                                 [&](const Preset& p) { return p.name == preset.name; });
  if (same != presets.end()) {
    *same = preset;
  } else {
    presets.push_back(preset);
  }
  return platform::WriteFileAtomically(FilePath(folder),
                                       EncodeSettingsFile(ComposePresetsText(presets)));
}

}  // namespace lumivane
