#include "settings/options_file.h"

#include "engine/picture/colour.h"
#include "engine/picture/operation_table.h"
#include "platform/file_system.h"
#include "settings/settings_file.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// Not an operation's: the preset the operations are, when one is.
constexpr char kPresetKey[] = "preset";
// Nor is a preset ticked to be made beside others, a line each.
constexpr char kOutputKey[] = "output";

std::string FilePath(const std::string& folder) {
  return platform::JoinPath(folder, kOptionsFileName);
}

}  // namespace

std::string ComposeOptionsText(const ExtraOperations& o) {
  std::string text;
  for (const OperationField& f : OperationFields()) {
    text += std::string(f.key) + "=" + f.ValueText(o) + "\n";
    if (f.colour != nullptr) text += std::string(f.key) + "_colour=" + o.*f.colour + "\n";
  }
  return text;
}

ExtraOperations ParseOptionsText(std::string_view text, std::string* preset,
                                 std::vector<std::string>* outputs) {
  ExtraOperations o;
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    const std::string line = TrimSpaces(text.substr(0, lf));
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (preset != nullptr && key == kPresetKey) *preset = value;
    if (outputs != nullptr && key == kOutputKey && !value.empty()) outputs->push_back(value);
    for (const OperationField& f : OperationFields()) {
      // Off stays off; any other number is brought into what the dialog offers.
      if (key == f.key) f.SetValueText(o, value);
      // A colour that is none keeps the default: it is never used, nor logged.
      if (f.colour != nullptr && key == std::string(f.key) + "_colour" && IsColourText(value)) {
        o.*f.colour = value;
      }
    }
  }
  return o;
}

ExtraOperations LoadExtraOperations(const std::string& folder, std::string* preset,
                                    std::vector<std::string>* outputs) {
  auto bytes = platform::ReadRegularFile(FilePath(folder), 1 << 16);
  return bytes ? ParseOptionsText(DecodeSettingsFile(*bytes), preset, outputs) : ExtraOperations{};
}

void SaveExtraOperations(const std::string& folder, const ExtraOperations& operations,
                         const std::string& preset, const std::vector<std::string>& outputs) {
  std::string text = ComposeOptionsText(operations);
  if (!preset.empty()) text += std::string(kPresetKey) + "=" + preset + "\n";
  for (const std::string& name : outputs) text += std::string(kOutputKey) + "=" + name + "\n";
  platform::WriteFileAtomically(FilePath(folder), EncodeSettingsFile(text));
}

}  // namespace lumivane
