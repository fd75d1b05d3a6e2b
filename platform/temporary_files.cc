#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/file_system.h"
#include "platform/temporary_names.h"

namespace lumivane::platform {

const std::string& HostName() {
  static const std::string name = [] {
    char buffer[256] = {};
    return PlainHostName(gethostname(buffer, sizeof(buffer) - 1) == 0 ? buffer : "");
  }();
  return name;
}

namespace {

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
    if (n == 0) errno = ENOSPC;  // nothing more goes in
    if (n <= 0) return NoteWriteFailure();
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::optional<PreparedFile> PreparedFile::Write(const std::string& path, std::string_view bytes) {
  NoteWriteProblem(WriteProblem::kNone);
  // A folder at the name would refuse the rename only once everything is
  // written: told now.
  struct stat at {};
  if (lstat(path.c_str(), &at) == 0 && S_ISDIR(at.st_mode)) {
    NoteWriteProblem(WriteProblem::kNotAFile);
    return std::nullopt;
  }
  std::string temp = TemporaryNameFor(path, static_cast<long>(getpid()));
  int fd;
  {
    // Registered and created in one step, so that RemovePendingTemporaries
    // sees every temporary file that exists.
    std::lock_guard lock(PendingMutex());
    fd = CreateLockedTemporary(temp);
    if (fd < 0) {
      NoteWriteFailure();
      return std::nullopt;
    }
    PendingTemporaries().insert(temp);
  }
  PreparedFile file(path, std::move(temp), fd);
  if (!WriteAll(fd, bytes)) return std::nullopt;  // discarded
  if (fsync(fd) != 0) {
    NoteWriteFailure();
    return std::nullopt;
  }
  return file;
}

void PreparedFile::Discard() {
  if (fd_ < 0) return;
  unlink(temp_.c_str());
  close(fd_);
  fd_ = -1;
  std::lock_guard lock(PendingMutex());
  PendingTemporaries().erase(temp_);
}

bool PreparedFile::Commit() {
  if (fd_ < 0) return false;
  // Renamed while still locked: a cleaner never sees it unlocked.
  if (rename(temp_.c_str(), path_.c_str()) != 0) {
    NoteWriteFailure();
    Discard();
    return false;
  }
  close(fd_);  // the data reached the disk before the rename
  fd_ = -1;
  std::lock_guard lock(PendingMutex());
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

void RemoveStaleTemporaries(const std::string& folder) {
  auto entries = ListDirectory(folder);
  if (!entries) return;
  for (const auto& e : *entries) {
    const std::string path = JoinPath(folder, e.name);
    if (!e.is_directory && OurTemporaryWriter(e.name) && !IsBeingWritten(path))
      unlink(path.c_str());
  }
}

void RemovePendingTemporaries() {
  std::lock_guard lock(PendingMutex());
  for (const auto& temp : PendingTemporaries()) unlink(temp.c_str());
  PendingTemporaries().clear();
}

void RemovePendingTemporariesAndExit(int exit_code) {
  PendingMutex().lock();  // never released: the process ends here
  for (const auto& temp : PendingTemporaries()) unlink(temp.c_str());
  _exit(exit_code);
}

void RemoveTemporariesOnInterrupt(std::function<void(int signal)> first) {
  // A reader that goes away makes writes fail with EPIPE, which the writer
  // tells, instead of ending the process silently with files half written.
  signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals, first = std::move(first)] {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    if (first) {
      first(signal);
      while (sigwait(&signals, &signal) != 0) {
      }
    }
    RemovePendingTemporariesAndExit(128 + signal);
  }).detach();
}

}  // namespace lumivane::platform
