#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/folder_step.h"
#include "platform/write_problem.h"

namespace lumivane::platform {

std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    NoteWriteFailure();  // why, for the log
    return std::nullopt;
  }
  std::vector<DirEntry> entries;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool is_dir = e->d_type == DT_DIR;
    bool is_link = e->d_type == DT_LNK;
    if (e->d_type == DT_UNKNOWN) {  // the listing does not say: ask
      struct stat st {};
      const bool known = lstat(JoinPath(folder, name).c_str(), &st) == 0;
      is_link = known && S_ISLNK(st.st_mode);
      is_dir = known && S_ISDIR(st.st_mode);
    }
    if (is_link) is_dir = PathIsDirectory(JoinPath(folder, name));
    entries.push_back({std::move(name), is_dir, is_link});
  }
  closedir(dir);
  return entries;
}

std::optional<FileIdentity> IdentifyDirectory(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::vector<FileIdentity> IdentifyFoldersAbove(const std::string& path) {
  std::vector<FileIdentity> above;
  std::filesystem::path p(NormalizePath(path));
  while (p.has_relative_path()) {
    p = p.parent_path();
    if (auto id = IdentifyDirectory(p.string())) above.push_back(*id);
  }
  return above;
}

bool PathIsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathEntryExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool PathIsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CanOpenForReading(const std::string& path) {
  // Non-blocking, so that a FIFO does not hang the caller.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);  // a folder is not a file
  close(fd);
  return ok;
}

bool MakeDirectory(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && PathIsDirectory(path));
}

FolderMade MakeFolderStep(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT || (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) ||
        lstat(path.c_str(), &st) != 0) {
      NoteWriteFailure();
      return FolderMade::kFailed;
    }
  }
  if (S_ISLNK(st.st_mode)) return FolderMade::kLink;
  if (!S_ISDIR(st.st_mode)) {
    NoteWriteProblem(WriteProblem::kNotAFile);
    return FolderMade::kFailed;
  }
  return FolderMade::kReady;
}

std::optional<FileStamp> StampRegularFile(const std::string& path, bool follow_links) {
  struct stat st;
  if ((follow_links ? stat(path.c_str(), &st) : lstat(path.c_str(), &st)) != 0 ||
      !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  auto ns = [](const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  };
  return FileStamp{static_cast<std::uint64_t>(st.st_size), ns(st.st_mtim), ns(st.st_ctim),
                   static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool RemoveEmptyFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool MakeDirectories(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return PathIsDirectory(path);
}

std::string CurrentDirectory() {
  std::error_code ec;
  auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

bool ChangeDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

// XDG_DESKTOP_DIR="$HOME/Desktop" from user-dirs.dirs, with $HOME expanded.
std::optional<std::string> XdgDesktopDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string config = (xdg && *xdg) ? xdg : Home() + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string prefix = "XDG_DESKTOP_DIR=\"";
    if (line.rfind(prefix, 0) != 0 || line.back() != '"') continue;
    std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DesktopFolder() {
  if (Home().empty()) return std::nullopt;
  return XdgDesktopDir().value_or(Home() + "/Desktop");
}

bool DesktopTakesLaunchers() { return true; }

std::string UserDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? std::string(home) + "/.local/share" : std::string();
}

namespace {
std::string WithoutTrailingSeparators(std::string s) {
  while (s.size() > 1 && s.back() == kPathSeparator) s.pop_back();
  return s;
}
}  // namespace

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  return WithoutTrailingSeparators(std::filesystem::absolute(path, ec).lexically_normal().string());
}

std::string NormalizePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p =
      std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  return WithoutTrailingSeparators(p.lexically_normal().string());
}

std::string ExecutablePath() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t max_bytes) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uint64_t>(st.st_size) > max_bytes) {
    close(fd);
    return std::nullopt;
  }
  std::string bytes;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the file shrank underneath us
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (done != bytes.size()) return std::nullopt;
  return bytes;
}

bool ReadRegularFileInPieces(const std::string& path,
                             const std::function<bool(std::string_view)>& consume,
                             bool follow_links) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (follow_links ? 0 : O_NOFOLLOW));
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  std::string piece(64 * 1024, '\0');
  while (ok) {
    ssize_t n = read(fd, piece.data(), piece.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0 || !consume(std::string_view(piece.data(), static_cast<size_t>(n)))) break;
  }
  close(fd);
  return ok;
}

bool MakeExecutable(const std::string& path) { return chmod(path.c_str(), 0755) == 0; }

}  // namespace lumivane::platform
