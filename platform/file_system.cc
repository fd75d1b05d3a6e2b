#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>

namespace lumivane::platform {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  out += kPathSeparator;
  out += name;
  return out;
}

std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<DirEntry> entries;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool is_dir = false;
    if (e->d_type == DT_DIR) {
      is_dir = true;
    } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      // Follow links and ask when the listing does not say.
      is_dir = PathIsDirectory(JoinPath(folder, name));
    }
    entries.push_back({std::move(name), is_dir});
  }
  closedir(dir);
  return entries;
}

std::optional<FileIdentity> IdentifyDirectory(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool PathIsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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

bool MakeDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

std::string CurrentDirectory() {
  std::error_code ec;
  auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

bool ChangeDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

std::string NormalizePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == kPathSeparator) s.pop_back();
  return s;
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

namespace {

std::mutex pending_mutex;
std::set<std::string>& PendingTemporaries() {
  static auto* pending = new std::set<std::string>();  // outlives static destruction at exit
  return *pending;
}

std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> serial{0};
  std::filesystem::path p(path);
  std::string name = "." + p.filename().string() + "." + std::to_string(getpid()) + "." +
                     std::to_string(serial++) + ".tmp";
  return (p.parent_path() / name).string();
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temp = TemporaryNameFor(path);
  {
    std::lock_guard lock(pending_mutex);
    PendingTemporaries().insert(temp);
  }
  bool ok = false;
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
  }
  std::lock_guard lock(pending_mutex);
  PendingTemporaries().erase(temp);
  return ok;
}

void RemoveStaleTemporaries(const std::string& folder) {
  auto entries = ListDirectory(folder);
  if (!entries) return;
  for (const auto& e : *entries) {
    // ".<name>.<pid>.<serial>.tmp"
    const std::string& n = e.name;
    if (e.is_directory || n.size() < 8 || n[0] != '.' || n.compare(n.size() - 4, 4, ".tmp") != 0) {
      continue;
    }
    const std::string stem = n.substr(0, n.size() - 4);
    const size_t serial_dot = stem.rfind('.');
    if (serial_dot == std::string::npos || serial_dot == 0) continue;
    const size_t pid_dot = stem.rfind('.', serial_dot - 1);
    if (pid_dot == std::string::npos || pid_dot == 0) continue;
    const std::string pid_text = stem.substr(pid_dot + 1, serial_dot - pid_dot - 1);
    if (pid_text.empty() || pid_text.find_first_not_of("0123456789") != std::string::npos ||
        pid_text.size() > 9) {
      continue;
    }
    const pid_t pid = static_cast<pid_t>(std::stol(pid_text));
    if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) unlink(JoinPath(folder, n).c_str());
  }
}

void RemovePendingTemporaries() {
  std::lock_guard lock(pending_mutex);
  for (const auto& temp : PendingTemporaries()) unlink(temp.c_str());
  PendingTemporaries().clear();
}

}  // namespace lumivane::platform
