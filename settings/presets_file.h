// "presets.dat" beside "options.dat": the presets a user saved from the
// "更多处理选项…" dialog, each a "[name]" line and its operations' lines
// (as "options.dat" has them) with the width.
#ifndef LUMIVANE_SETTINGS_PRESETS_FILE_H_
#define LUMIVANE_SETTINGS_PRESETS_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "engine/picture/extra_operations.h"

namespace lumivane {

inline constexpr char kPresetsFileName[] = "presets.dat";

// The user's presets in the program folder `folder`, in the order saved;
// none when there is no file.
std::vector<Preset> LoadUserPresets(const std::string& folder);
// Adds `preset`, or replaces the one of its name. False when the file
// cannot be written.
bool SaveUserPreset(const std::string& folder, const Preset& preset);

std::string ComposePresetsText(const std::vector<Preset>& presets);
std::vector<Preset> ParsePresetsText(std::string_view text);

}  // namespace lumivane

#endif  // LUMIVANE_SETTINGS_PRESETS_FILE_H_
