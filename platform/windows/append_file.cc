#include "platform/append_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/windows/handle.h"
#include "platform/windows/wide_text.h"
#include "platform/write_problem.h"

namespace lumivane::platform {
namespace {

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// Opened for appending only: every write lands whole at the end, also
// beside other processes appending to the same file.
OwnedHandle OpenForAppending(const std::string& path, DWORD extra_access, DWORD flags) {
  return OwnedHandle(CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA | extra_access,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | flags, nullptr));
}

std::optional<int> Descriptor(OwnedHandle h) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h.get()), _O_BINARY | _O_APPEND);
  if (fd < 0) return std::nullopt;
  h.release();
  return fd;
}

}  // namespace

std::optional<AppendFile> AppendFile::Open(const std::string& path) {
  if (path == "-") return AppendFile(_fileno(stdout), false);
  OwnedHandle h = OpenForAppending(path, 0, 0);
  if (!h.valid()) {
    NoteWriteFailure();
    return std::nullopt;
  }
  auto fd = Descriptor(std::move(h));
  if (!fd) return std::nullopt;
  return AppendFile(*fd, true);
}

std::optional<AppendFile> AppendFile::OpenOwn(const std::string& path) {
  OwnedHandle h = OpenForAppending(path, GENERIC_READ, FILE_FLAG_OPEN_REPARSE_POINT);
  if (!h.valid()) {
    NoteWriteFailure();
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(h.get(), &info) != 0;
  const bool regular =
      known && GetFileType(h.get()) == FILE_TYPE_DISK &&
      !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  if (!regular || info.nNumberOfLinks != 1) {
    NoteWriteProblem(!known     ? WriteProblem::kOther
                     : !regular ? WriteProblem::kNotAFile
                                : WriteProblem::kLinked);
    return std::nullopt;
  }
  const std::uint64_t size =
      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  char last = '\n';
  if (size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(size - 1);
    at.OffsetHigh = static_cast<DWORD>((size - 1) >> 32);
    DWORD n = 0;
    if (!ReadFile(h.get(), &last, 1, &n, &at) || n != 1) last = '\n';
  }
  auto fd = Descriptor(std::move(h));
  if (!fd) return std::nullopt;
  AppendFile file(*fd, true);
  file.line_open_ = last != '\n';
  return file;
}

AppendFile::~AppendFile() {
  if (owned_) _close(fd_);
}

bool AppendFile::Append(std::string_view text) {
  std::string mended;
  if (line_open_) {
    mended = "\n" + std::string(text);
    text = mended;
  }
  if (!owned_) std::fflush(stdout);  // what the program printed before comes first
  // One write for the whole line, so that it lands whole.
  DWORD n = 0;
  const bool written =
      WriteFile(HandleOf(fd_), text.data(), static_cast<DWORD>(text.size()), &n, nullptr) != 0;
  const bool whole = written && n == text.size();
  if (whole) line_open_ = false;
  if (!written) NoteWriteFailure();
  if (written && !whole) NoteWriteProblem(WriteProblem::kDiskFull);
  return whole;
}

bool ReserveIfClosed(std::FILE* stream) {
  const int fd = _fileno(stream);
  if (fd >= 0 && _get_osfhandle(fd) != -1 && _get_osfhandle(fd) != -2) return false;
  std::freopen("NUL", stream == stdin ? "r" : "w", stream);
  return true;
}

}  // namespace lumivane::platform
