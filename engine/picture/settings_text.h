// The text form of the settings file, independent of the disk: composing
// it from a record and reading a record from it. UTF-8, LF line ends.
#ifndef LUMIVANE_ENGINE_PICTURE_SETTINGS_TEXT_H_
#define LUMIVANE_ENGINE_PICTURE_SETTINGS_TEXT_H_

#include <string>
#include <string_view>

#include "engine/picture/processing_settings.h"

namespace lumivane {

// All 19 keys in their fixed order, each line ended by a line feed.
std::string ComposeSettingsText(const ProcessingSettings& settings);

// Applies every known key=value line of `text` to `settings`; unknown keys,
// lines without a key and numbers that do not parse leave fields as they were.
void ParseSettingsText(std::string_view text, ProcessingSettings& settings);

// The default settings file for a program folder.
std::string DefaultSettingsText(const std::string& program_folder);

inline constexpr char kDefaultWatermarkText[] = "https://shop.example.com";

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_SETTINGS_TEXT_H_
