#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace lumivane::platform {

std::optional<AppendFile> AppendFile::Open(const std::string& path) {
  if (path == "-") return AppendFile(STDOUT_FILENO, false);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return std::nullopt;
  return AppendFile(fd, true);
}

AppendFile::~AppendFile() {
  if (owned_) close(fd_);
}

bool AppendFile::Append(std::string_view line) {
  // One write for the whole line: with O_APPEND it lands whole at the end,
  // also beside other processes appending to the same file.
  ssize_t n;
  do {
    n = write(fd_, line.data(), line.size());
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(line.size());
}

bool ReserveIfClosed(int fd) {
  if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) return false;
  const int null = open("/dev/null", O_RDWR);
  if (null >= 0 && null != fd) {
    dup2(null, fd);
    close(null);
  }
  return true;
}

}  // namespace lumivane::platform
