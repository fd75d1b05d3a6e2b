#include "tests/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace lumivane::testing {
std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

TempDir::TempDir() {
  // A new name of our own (a folder made, never one found): paths are
  // given to the program with '/' on every system.
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const auto candidate =
        std::filesystem::temp_directory_path() / ("lumivane-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) path_ = candidate.generic_string();
  }
  if (path_.empty()) throw std::runtime_error("no test folder could be made");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only folders behind; make them writable first.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::MakeFolder(const std::string& relative) const {
  std::string p = *this / relative;
  std::filesystem::create_directories(FsPath(p));
  return p;
}

std::string TempDir::WriteFile(const std::string& relative, const std::string& bytes) const {
  std::string p = *this / relative;
  std::filesystem::create_directories(FsPath(p).parent_path());
  std::ofstream(FsPath(p), std::ios::binary) << bytes;
  return p;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

long PeakKilobytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#endif
}

}  // namespace lumivane::testing
