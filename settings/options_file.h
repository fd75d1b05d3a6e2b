// "options.dat" beside "config.dat": the marketplace operations the window
// set, in a file of their own so that "config.dat" keeps its lines.
#ifndef LUMIVANE_SETTINGS_OPTIONS_FILE_H_
#define LUMIVANE_SETTINGS_OPTIONS_FILE_H_

#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"

namespace lumivane {

inline constexpr char kOptionsFileName[] = "options.dat";

// What the file in the program folder `folder` holds; every operation off
// when there is none (or for a key it lacks).
// `preset`: the name of the preset the file says they are ("" none);
// `outputs`: the presets ticked to be made at once, by name.
ExtraOperations LoadExtraOperations(const std::string& folder, std::string* preset = nullptr,
                                    std::vector<std::string>* outputs = nullptr);
// Replaces the file; an unwritable folder keeps the old one. `preset`:
// the name of the preset the operations are, kept beside them ("" none);
// `outputs` a line each.
void SaveExtraOperations(const std::string& folder, const ExtraOperations& operations,
                         const std::string& preset = "",
                         const std::vector<std::string>& outputs = {});
// The preset the file says its operations are; "" for none.
inline std::string LoadChosenPresetName(const std::string& folder) {
  std::string preset;
  LoadExtraOperations(folder, &preset);
  return preset;
}

std::string ComposeOptionsText(const ExtraOperations& operations);
ExtraOperations ParseOptionsText(std::string_view text, std::string* preset = nullptr,
                                 std::vector<std::string>* outputs = nullptr);

}  // namespace lumivane

#endif  // LUMIVANE_SETTINGS_OPTIONS_FILE_H_
