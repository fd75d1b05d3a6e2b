// Files written whole beside their place on Windows. A file open for
// writing cannot be renamed there: the temporary file is closed, then moved
// over its place in one step that replaces what was there.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <mutex>

#include "platform/file_system.h"
#include "platform/temporary_names.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide_text.h"

namespace lumivane::platform {

const std::string& HostName() {
  static const std::string name = [] {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return PlainHostName(GetComputerNameW(buffer, &size) ? Utf8(buffer) : "");
  }();
  return name;
}

namespace {

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(h, bytes.data(), want, &n, nullptr)) return NoteWriteFailure();
    if (n == 0) return NoteWriteProblem(WriteProblem::kDiskFull);
    bytes.remove_prefix(n);
  }
  return true;
}

// Whether the process that wrote a temporary file of this machine still
// runs (process ids are not shared between machines' containers here).
bool WriterRuns(long process_id) {
  OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process_id)));
  if (!process.valid())
    return GetLastError() == ERROR_ACCESS_DENIED;  // another user's: not ours to judge
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

void RemoveFile(const std::string& path) { DeleteFileW(WidePath(path).c_str()); }

// The system refuses to replace a file another program holds open as it
// refuses one we may not write: told apart, the user knows to close it.
void NoteMoveFailure(const std::string& path) {
  if (GetLastError() != ERROR_ACCESS_DENIED) {
    NoteWriteFailure();
    return;
  }
  OwnedHandle probe(CreateFileW(WidePath(path).c_str(), DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  NoteWriteProblem(!probe.valid() && GetLastError() == ERROR_SHARING_VIOLATION
                       ? WriteProblem::kInUse
                       : WriteProblem::kNoPermission);
}

}  // namespace

std::optional<PreparedFile> PreparedFile::Write(const std::string& path, std::string_view bytes) {
  NoteWriteProblem(WriteProblem::kNone);
  // A folder at the name would refuse the move only once everything is
  // written: told now.
  const DWORD at = GetFileAttributesW(WidePath(path).c_str());
  if (at != INVALID_FILE_ATTRIBUTES && (at & FILE_ATTRIBUTE_DIRECTORY)) {
    NoteWriteProblem(WriteProblem::kNotAFile);
    return std::nullopt;
  }
  std::string temp = TemporaryNameFor(path, static_cast<long>(GetCurrentProcessId()));
  int fd;
  {
    // Registered and created in one step, so that RemovePendingTemporaries
    // sees every temporary file that exists.
    std::lock_guard lock(PendingMutex());
    // Removable while open, as on POSIX systems: an interrupted run takes
    // its temporary files away before its handles go.
    OwnedHandle h(CreateFileW(WidePath(temp).c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) {
      NoteWriteFailure();
      return std::nullopt;
    }
    fd = _open_osfhandle(reinterpret_cast<intptr_t>(h.get()), _O_BINARY);
    if (fd < 0) {
      h.Close();
      RemoveFile(temp);
      NoteWriteProblem(WriteProblem::kOther);
      return std::nullopt;
    }
    h.release();  // the descriptor owns it now
    PendingTemporaries().insert(temp);
  }
  PreparedFile file(path, std::move(temp), fd);
  if (!WriteAll(HandleOf(fd), bytes)) return std::nullopt;  // discarded
  if (!FlushFileBuffers(HandleOf(fd))) {
    NoteWriteFailure();
    return std::nullopt;
  }
  return file;
}

void PreparedFile::Discard() {
  if (fd_ < 0) return;
  _close(fd_);  // removed at once, not when the handle goes
  fd_ = -1;
  RemoveFile(temp_);
  std::lock_guard lock(PendingMutex());
  PendingTemporaries().erase(temp_);
}

bool PreparedFile::Commit() {
  if (fd_ < 0) return false;
  _close(fd_);
  fd_ = -1;
  // The data reached the disk before the move; the move itself replaces
  // the old file in one step and is written through before it returns.
  if (!MoveFileExW(WidePath(temp_).c_str(), WidePath(path_).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    NoteMoveFailure(path_);
    RemoveFile(temp_);
    std::lock_guard lock(PendingMutex());
    PendingTemporaries().erase(temp_);
    return false;
  }
  std::lock_guard lock(PendingMutex());
  PendingTemporaries().erase(temp_);
  return true;
}

void RaiseOpenFileLimit() { _setmaxstdio(2048); }  // the C library's most

void RemoveStaleTemporaries(const std::string& folder) {
  auto entries = ListDirectory(folder);
  if (!entries) return;
  for (const auto& e : *entries) {
    if (e.is_directory || e.is_link) continue;  // never through a link, as on Linux
    const auto writer = OurTemporaryWriter(e.name);
    if (writer && !WriterRuns(*writer)) RemoveFile(JoinPath(folder, e.name));
  }
}

void RemovePendingTemporaries() {
  std::lock_guard lock(PendingMutex());
  for (const auto& temp : PendingTemporaries()) RemoveFile(temp);
  PendingTemporaries().clear();
}

void RemovePendingTemporariesAndExit(int exit_code) {
  PendingMutex().lock();  // never released: the process ends here
  // One still open goes with its last handle, when the process ends.
  for (const auto& temp : PendingTemporaries()) RemoveFile(temp);
  std::fflush(nullptr);
  _exit(exit_code);
}

namespace {

std::function<void(int)>& FirstInterrupt() {
  static auto* first = new std::function<void(int)>();
  return *first;
}

// Runs on a thread of the system's own for each Ctrl+C, Ctrl+Break or
// closed console.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  constexpr int kInterrupt = 2, kTerminate = 15;  // as the POSIX signals number them
  const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? kInterrupt : kTerminate;
  static std::once_flag once;
  bool handled = false;
  std::call_once(once, [&] {
    if (FirstInterrupt() && signal == kInterrupt) {
      FirstInterrupt()(signal);
      handled = true;
    }
  });
  if (!handled) RemovePendingTemporariesAndExit(128 + signal);
  return TRUE;
}

}  // namespace

void RemoveTemporariesOnInterrupt(std::function<void(int signal)> first) {
  FirstInterrupt() = std::move(first);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace lumivane::platform
