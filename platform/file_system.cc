#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <thread>

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

FolderMade MakeFolderBelow(const std::string& base, const std::string& below) {
  std::string path = base;
  size_t start = 0;
  while (start < below.size()) {
    size_t end = below.find(kPathSeparator, start);
    if (end == std::string::npos) end = below.size();
    const std::string_view name = std::string_view(below).substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    path = JoinPath(path, name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
      if (errno != ENOENT || (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) ||
          lstat(path.c_str(), &st) != 0) {
        return FolderMade::kFailed;
      }
    }
    if (S_ISLNK(st.st_mode)) return FolderMade::kLink;
    if (!S_ISDIR(st.st_mode)) return FolderMade::kFailed;
  }
  return PathIsDirectory(path) ? FolderMade::kReady : FolderMade::kFailed;
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

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

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

const std::string& HostName() {
  static const std::string name = [] {
    char buffer[256] = {};
    std::string host = gethostname(buffer, sizeof(buffer) - 1) == 0 ? buffer : "";
    // Only what cannot be mistaken for the name's other parts.
    for (char& c : host) {
      const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '.' || c == '-';
      if (!plain) c = '_';
    }
    return host.empty() ? std::string("localhost") : host;
  }();
  return name;
}

namespace {

std::mutex pending_mutex;
std::set<std::string>& PendingTemporaries() {
  static auto* pending = new std::set<std::string>();  // outlives static destruction at exit
  return *pending;
}

constexpr std::string_view kTemporaryPrefix = ".lumivane-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr size_t kRandomDigits = 16;

// ".lumivane-<host>-<pid>-<16 random hex digits>.tmp": the prefix and the
// random part make the name unmistakably ours; the host and the process id
// tell whether the writer still runs (several machines may share a target).
std::string TemporaryNameFor(const std::string& path) {
  static std::mutex random_mutex;
  static std::mt19937_64 random{std::random_device{}()};
  std::uint64_t bits;
  {
    std::lock_guard lock(random_mutex);
    bits = random();
  }
  char hex[kRandomDigits + 1];
  std::snprintf(hex, sizeof(hex), "%016llx", static_cast<unsigned long long>(bits));
  std::string name = std::string(kTemporaryPrefix) + HostName() + "-" + std::to_string(getpid()) +
                     "-" + hex + std::string(kTemporarySuffix);
  return (std::filesystem::path(path).parent_path() / name).string();
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// True when `name` is one of our temporary names, written on this machine.
bool IsOurTemporary(std::string_view name) {
  if (name.size() <= kTemporaryPrefix.size() + kRandomDigits + kTemporarySuffix.size() + 1 ||
      name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix ||
      name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix) {
    return false;
  }
  name.remove_prefix(kTemporaryPrefix.size());
  name.remove_suffix(kTemporarySuffix.size());
  const std::string_view random = name.substr(name.size() - kRandomDigits);
  name.remove_suffix(kRandomDigits);
  if (name.back() != '-') return false;
  name.remove_suffix(1);
  for (char c : random) {
    if (!IsHexDigit(c)) return false;
  }
  const size_t dash = name.rfind('-');
  if (dash == std::string_view::npos || name.substr(0, dash) != HostName()) return false;
  const std::string_view pid = name.substr(dash + 1);
  if (pid.empty() || pid.size() > 9 || pid[0] == '0') return false;
  for (char c : pid) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The writer holds a lock on its temporary file for as long as it writes
// it; the lock goes with the writer, however it ends. (A process id says
// nothing in a container, where every writer is process 1.)
bool LockWhileWriting(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool IsBeingWritten(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return true;  // not ours to judge
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const bool held = fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
  close(fd);
  return held;
}

// A temporary file that exists under its name only once it is locked, so
// that no cleaner ever sees it unlocked: made unnamed, locked, then linked.
// Where the file system has no unnamed files it is made under its name and
// locked at once.
int CreateLockedTemporary(const std::string& temp) {
  const std::string folder = std::filesystem::path(temp).parent_path().string();
  int fd = open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd >= 0) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (LockWhileWriting(fd) &&
        linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return fd;
    }
    close(fd);
  }
  fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) LockWhileWriting(fd);
  return fd;
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

std::optional<PreparedFile> PreparedFile::Write(const std::string& path, std::string_view bytes) {
  std::string temp = TemporaryNameFor(path);
  int fd;
  {
    // Registered and created in one step, so that RemovePendingTemporaries
    // sees every temporary file that exists.
    std::lock_guard lock(pending_mutex);
    fd = CreateLockedTemporary(temp);
    if (fd < 0) return std::nullopt;
    PendingTemporaries().insert(temp);
  }
  PreparedFile file(path, std::move(temp), fd);
  if (!WriteAll(fd, bytes) || fsync(fd) != 0) return std::nullopt;  // discarded
  return file;
}

PreparedFile::PreparedFile(PreparedFile&& other) noexcept
    : path_(std::move(other.path_)), temp_(std::move(other.temp_)), fd_(other.fd_) {
  other.fd_ = -1;
}

PreparedFile::~PreparedFile() { Discard(); }

void PreparedFile::Discard() {
  if (fd_ < 0) return;
  unlink(temp_.c_str());
  close(fd_);
  fd_ = -1;
  std::lock_guard lock(pending_mutex);
  PendingTemporaries().erase(temp_);
}

bool PreparedFile::Commit() {
  if (fd_ < 0) return false;
  // Renamed while still locked: a cleaner never sees it unlocked.
  if (rename(temp_.c_str(), path_.c_str()) != 0) {
    Discard();
    return false;
  }
  close(fd_);  // the data reached the disk before the rename
  fd_ = -1;
  std::lock_guard lock(pending_mutex);
  PendingTemporaries().erase(temp_);
  return true;
}

void RaiseOpenFileLimit() {
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  auto file = PreparedFile::Write(path, bytes);
  return file && file->Commit();
}

bool MakeExecutable(const std::string& path) { return chmod(path.c_str(), 0755) == 0; }

void RemoveStaleTemporaries(const std::string& folder) {
  auto entries = ListDirectory(folder);
  if (!entries) return;
  for (const auto& e : *entries) {
    const std::string path = JoinPath(folder, e.name);
    if (!e.is_directory && IsOurTemporary(e.name) && !IsBeingWritten(path)) unlink(path.c_str());
  }
}

void RemovePendingTemporaries() {
  std::lock_guard lock(pending_mutex);
  for (const auto& temp : PendingTemporaries()) unlink(temp.c_str());
  PendingTemporaries().clear();
}

void RemovePendingTemporariesAndExit(int exit_code) {
  pending_mutex.lock();  // never released: the process ends here
  for (const auto& temp : PendingTemporaries()) unlink(temp.c_str());
  _exit(exit_code);
}

void RemoveTemporariesOnInterrupt() {
  // A reader that goes away makes writes fail with EPIPE, which the writer
  // tells, instead of ending the process silently with files half written.
  signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals] {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    RemovePendingTemporariesAndExit(128 + signal);
  }).detach();
}

}  // namespace lumivane::platform
