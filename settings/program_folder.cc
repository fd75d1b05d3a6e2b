#include "settings/program_folder.h"

#include "platform/file_system.h"

namespace lumivane {
namespace {

std::string UserProgramFolder(const std::string& data) { return data + "/lumivane"; }

}  // namespace

bool IsProgramFolder(const std::string& folder) {
  return platform::PathIsRegularFile(platform::JoinPath(folder, "config.dat")) ||
         platform::PathIsRegularFile(platform::JoinPath(folder, "res.dat"));
}

std::string SharedDataFolder(const std::string& executable) {
  const size_t slash = executable.rfind(platform::kPathSeparator);
  if (slash == std::string::npos) return "";
  return platform::JoinPath(executable.substr(0, slash), "../share/lumivane");
}

std::optional<std::string> PrepareUserProgramFolder(const std::string& executable) {
  const std::string shared = SharedDataFolder(executable);
  const std::string data = platform::UserDataFolder();
  if (shared.empty() || !platform::PathIsRegularFile(shared + "/res.dat") || data.empty()) {
    return std::nullopt;
  }
  const std::string folder = UserProgramFolder(data);
  if (!platform::MakeDirectories(folder + "/images")) return std::nullopt;
  for (const char* file : {"res.dat", "images/sy.png", "lumivane.png"}) {
    const std::string mine = folder + "/" + file;
    if (platform::PathIsRegularFile(mine)) continue;  // the user's own stays
    const auto bytes = platform::ReadRegularFile(shared + "/" + file, 16 << 20);
    if (bytes) platform::WriteFileAtomically(mine, *bytes);
  }
  return folder;
}

std::string FindProgramFolder(const std::string& start_folder) {
  if (IsProgramFolder(start_folder)) return start_folder;
  const std::string data = platform::UserDataFolder();
  if (!data.empty() && IsProgramFolder(UserProgramFolder(data))) return UserProgramFolder(data);
  return start_folder;
}

}  // namespace lumivane
