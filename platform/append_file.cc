#include "platform/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/write_problem.h"

namespace lumivane::platform {

std::optional<AppendFile> AppendFile::Open(const std::string& path) {
  if (path == "-") return AppendFile(STDOUT_FILENO, false);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) {
    NoteWriteFailure();
    return std::nullopt;
  }
  return AppendFile(fd, true);
}

std::optional<AppendFile> AppendFile::OpenOwn(const std::string& path) {
  const int fd =
      open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0) {
    NoteWriteFailure();
    return std::nullopt;
  }
  struct stat st;
  const bool stated = fstat(fd, &st) == 0;
  if (!stated || !S_ISREG(st.st_mode) || st.st_nlink != 1 || fcntl(fd, F_SETFL, O_APPEND) != 0) {
    NoteWriteProblem(!stated                ? WriteProblem::kOther
                     : !S_ISREG(st.st_mode) ? WriteProblem::kNotAFile
                     : st.st_nlink != 1     ? WriteProblem::kLinked
                                            : WriteProblem::kOther);
    close(fd);
    return std::nullopt;
  }
  AppendFile file(fd, true);
  char last = '\n';
  file.line_open_ = st.st_size > 0 && pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
  return file;
}

AppendFile::~AppendFile() {
  if (owned_) close(fd_);
}

bool AppendFile::Append(std::string_view text) {
  std::string mended;
  if (line_open_) {
    mended = "\n" + std::string(text);
    text = mended;
  }
  // One write for the whole line: with O_APPEND it lands whole at the end,
  // also beside other processes appending to the same file.
  const std::string_view line = text;
  ssize_t n;
  do {
    n = write(fd_, line.data(), line.size());
  } while (n < 0 && errno == EINTR);
  const bool whole = n == static_cast<ssize_t>(line.size());
  if (whole) line_open_ = false;
  if (n < 0) NoteWriteFailure();
  if (n >= 0 && !whole) NoteWriteProblem(WriteProblem::kDiskFull);  // a short write: no room left
  return whole;
}

bool ReserveIfClosed(std::FILE* stream) {
  const int fd = fileno(stream);
  if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) return false;
  const int null = open("/dev/null", O_RDWR);
  if (null >= 0 && null != fd) {
    dup2(null, fd);
    close(null);
  }
  return true;
}

}  // namespace lumivane::platform
