#include "settings/settings_file.h"

#include <filesystem>
#include <system_error>

#include "engine/picture/settings_text.h"
#include "platform/file_system.h"
#include "text/text_codec.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

constexpr std::uint64_t kMaxSettingsFileBytes = 1 << 20;
constexpr std::string_view kPictureKey = "sy_image=";

// Calls `each` with every line of `text` (without its line feed), and
// whether a line feed ended it.
template <typename F>
void ForEachLine(std::string_view text, F each) {
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    each(text.substr(0, lf), lf != std::string_view::npos);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
  }
}

// The watermark picture's path is a file name, not text: bytes that are not
// GBK, or that name a file only as they stand, are kept as they are.
std::string DecodeLine(std::string_view line) {
  const auto decoded = GbkToUtf8Exactly(line);
  if (StartsWith(line, kPictureKey)) {
    const std::string raw_path(line.substr(kPictureKey.size()));
    if (!decoded || (!platform::PathIsRegularFile(decoded->substr(kPictureKey.size())) &&
                     platform::PathIsRegularFile(raw_path))) {
      return std::string(line);
    }
  }
  return decoded ? *decoded : GbkToUtf8(line);
}

}  // namespace

std::string EncodeSettingsFile(const std::string& utf8_text) {
  std::string disk;
  ForEachLine(utf8_text, [&](std::string_view line, bool ended) {
    // GBK where the line converts; a path of other bytes goes as it is.
    disk += Utf8ToGbkExactly(line).value_or(std::string(line));
    if (ended) disk += "\r\n";
  });
  return disk;
}

std::string DecodeSettingsFile(const std::string& disk_bytes) {
  std::string text;
  ForEachLine(disk_bytes, [&](std::string_view line, bool ended) {
    const bool cr = !line.empty() && line.back() == '\r';
    if (cr) line.remove_suffix(1);
    text += DecodeLine(line);
    if (cr) text += '\r';
    if (ended) text += '\n';
  });
  return text;
}

bool LoadSettings(const std::string& folder, ProcessingSettings& settings, bool write_default) {
  const std::string path = platform::JoinPath(folder, kSettingsFileName);
  auto bytes = platform::ReadRegularFile(path, kMaxSettingsFileBytes);
  std::error_code ec;
  const bool none = !std::filesystem::exists(std::filesystem::symlink_status(path, ec));
  if (!bytes && !write_default && none) {
    ParseSettingsText(DefaultSettingsText(folder), settings);
    return true;
  }
  if (!bytes) {
    WriteDefaultSettings(folder);
    bytes = platform::ReadRegularFile(path, kMaxSettingsFileBytes);
    if (!bytes) return false;
  }
  ParseSettingsText(DecodeSettingsFile(*bytes), settings);
  return true;
}

bool WriteDefaultSettings(const std::string& folder) {
  platform::WriteFileAtomically(platform::JoinPath(folder, kSettingsFileName),
                                EncodeSettingsFile(DefaultSettingsText(folder)));
  return true;
}

bool SaveSettings(const std::string& folder, const ProcessingSettings& settings) {
  // A folder that cannot be written is skipped silently; the old file stays.
  platform::WriteFileAtomically(platform::JoinPath(folder, kSettingsFileName),
                                EncodeSettingsFile(ComposeSettingsText(settings)));
  return true;
}

}  // namespace lumivane
