// A file that lines are only ever added to, each with one write, so that a
// process killed at any moment leaves whole lines (standard output for "-").
#ifndef LUMIVANE_PLATFORM_APPEND_FILE_H_
#define LUMIVANE_PLATFORM_APPEND_FILE_H_

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane::platform {

class AppendFile {
 public:
  // None when the file cannot be opened for appending.
  static std::optional<AppendFile> Open(const std::string& path);
  // A file of ours in a folder others may write: opened only when it is a
  // regular file of one name (not a link, a FIFO or a hard link to a file
  // elsewhere), never blocking. None otherwise. A last line a killed writer
  // cut short is ended before the next is added.
  static std::optional<AppendFile> OpenOwn(const std::string& path);
  ~AppendFile();
  AppendFile(AppendFile&& other) noexcept
      : fd_(other.fd_), owned_(other.owned_), line_open_(other.line_open_) {
    other.owned_ = false;
  }
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  AppendFile& operator=(AppendFile&&) = delete;

  bool Append(std::string_view line);

 private:
  AppendFile(int fd, bool owned) : fd_(fd), owned_(owned) {}
  int fd_;
  bool owned_;
  // The file ends in a line cut short (a killed writer): the next line
  // starts on a line of its own.
  bool line_open_ = false;
};

// True when the standard stream (stdin, stdout or stderr) was closed. It is
// then opened on the null device: a closed stream would lend its number to
// the next file opened, and what is written to the stream would land in it.
bool ReserveIfClosed(std::FILE* stream);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_APPEND_FILE_H_
