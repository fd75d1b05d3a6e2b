#include "settings/program_folder.h"

#include <mutex>

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

}  // namespace lumivane
