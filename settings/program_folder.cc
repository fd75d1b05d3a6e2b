#include "settings/program_folder.h"

#include <mutex>

#include "platform/file_system.h"

namespace lumivane {
namespace {
std::mutex folder_mutex;
std::string& Folder() {
  static std::string folder;
  return folder;
}
}  // namespace

std::string ProgramFolder() {
  std::lock_guard lock(folder_mutex);
  return Folder();
}

void SetProgramFolder(const std::string& folder) {
  std::lock_guard lock(folder_mutex);
  Folder() = folder;
}

bool IsProgramFolder(const std::string& folder) {
  return platform::PathIsRegularFile(platform::JoinPath(folder, "config.dat")) ||
         platform::PathIsRegularFile(platform::JoinPath(folder, "res.dat"));
}

std::optional<std::string> PrepareUserProgramFolder(const std::string& executable) {
  const size_t slash = executable.rfind(platform::kPathSeparator);
  if (slash == std::string::npos) return std::nullopt;
  const std::string shared = executable.substr(0, slash) + "/../share/lumivane";
  const std::string data = platform::UserDataFolder();
  if (!platform::PathIsRegularFile(shared + "/res.dat") || data.empty()) return std::nullopt;
  const std::string folder = data + "/lumivane";
  if (!platform::MakeDirectories(folder + "/images")) return std::nullopt;
  for (const char* file : {"res.dat", "images/sy.png", "lumivane.png"}) {
    const std::string mine = folder + "/" + file;
    if (platform::PathIsRegularFile(mine)) continue;  // the user's own stays
    const auto bytes = platform::ReadRegularFile(shared + "/" + file, 16 << 20);
    if (bytes) platform::WriteFileAtomically(mine, *bytes);
  }
  return folder;
}

}  // namespace lumivane
