// "config.dat" in the program folder: GBK text with CR LF line ends on disk.
#ifndef LUMIVANE_SETTINGS_SETTINGS_FILE_H_
#define LUMIVANE_SETTINGS_SETTINGS_FILE_H_

#include <string>

#include "engine/picture/processing_settings.h"

namespace lumivane {

inline constexpr char kSettingsFileName[] = "config.dat";

// Fills `settings` from "config.dat" in the program folder `folder`,
// writing the default file first when there is none (without
// `write_default`, taking the defaults without writing them). False when
// no settings file could be opened even then.
bool LoadSettings(const std::string& folder, ProcessingSettings& settings,
                  bool write_default = true);

// Writes the default file into `folder`.
bool WriteDefaultSettings(const std::string& folder);

// Replaces "config.dat" in `folder` with the whole record. The old file
// stays whole if writing fails.
bool SaveSettings(const std::string& folder, const ProcessingSettings& settings);

// The bytes of a settings file as they stand on disk.
std::string EncodeSettingsFile(const std::string& utf8_text);
std::string DecodeSettingsFile(const std::string& disk_bytes);

}  // namespace lumivane

#endif  // LUMIVANE_SETTINGS_SETTINGS_FILE_H_
