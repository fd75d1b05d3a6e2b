#include "settings/settings_file.h"

#include "text/text_codec.h"
#include "platform/file_system.h"
#include "settings/program_folder.h"
#include "settings/settings_text.h"

namespace lumivane {
namespace {
constexpr std::uint64_t kMaxSettingsFileBytes = 1 << 20;
}  // namespace

std::string EncodeSettingsFile(const std::string& utf8_text) {
  std::string crlf;
  crlf.reserve(utf8_text.size() + 32);
  for (char c : utf8_text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return Utf8ToGbk(crlf);
}

std::string DecodeSettingsFile(const std::string& disk_bytes) { return GbkToUtf8(disk_bytes); }

bool LoadSettings(ProcessingSettings& settings) {
  SetProgramFolder(platform::CurrentDirectory());
  const std::string path = platform::JoinPath(ProgramFolder(), kSettingsFileName);
  auto bytes = platform::ReadRegularFile(path, kMaxSettingsFileBytes);
  if (!bytes) {
    WriteDefaultSettings();
    bytes = platform::ReadRegularFile(path, kMaxSettingsFileBytes);
    if (!bytes) return false;
  }
  ParseSettingsText(DecodeSettingsFile(*bytes), settings);
  return true;
}

bool WriteDefaultSettings() {
  const std::string folder = platform::CurrentDirectory();
  platform::WriteFileAtomically(platform::JoinPath(folder, kSettingsFileName),
                                EncodeSettingsFile(DefaultSettingsText(folder)));
  return true;
}

bool SaveSettings(const ProcessingSettings& settings) {
  const std::string folder = ProgramFolder();
  platform::ChangeDirectory(folder);
  // A folder that cannot be written is skipped silently; the old file stays.
  platform::WriteFileAtomically(platform::JoinPath(folder, kSettingsFileName),
                                EncodeSettingsFile(ComposeSettingsText(settings)));
  return true;
}

}  // namespace lumivane
