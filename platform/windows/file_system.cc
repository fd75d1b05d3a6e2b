// The file services on Windows: wide calls at the boundary, UTF-8 paths
// with '/' inside.
#include "platform/file_system.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cstdlib>
#include <memory>

#include "platform/folder_step.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide_text.h"
#include "platform/write_problem.h"

namespace lumivane::platform {
namespace {

struct FindCloser {
  void operator()(HANDLE h) const { FindClose(h); }
};

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WidePath(path).c_str()); }

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The system's own form of a path the program names: '/' between folders.
std::string InsideForm(std::wstring_view wide) {
  std::string path = Utf8(wide);
  if (path.rfind("\\\\?\\", 0) == 0 && path.size() > 6 && path[5] == ':') path.erase(0, 4);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  // "C:/" keeps its separator, any other folder loses a trailing one.
  while (path.size() > 1 && path.back() == '/' && !(path.size() == 3 && path[1] == ':')) {
    path.pop_back();
  }
  return path;
}

std::optional<BY_HANDLE_FILE_INFORMATION> Information(const std::string& path, bool follow_links) {
  const DWORD flags =
      FILE_FLAG_BACKUP_SEMANTICS | (follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  OwnedHandle h(CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, flags, nullptr));
  if (!h.valid()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
  return info;
}

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// A regular file opened for reading: not a folder, a device or a pipe.
OwnedHandle OpenRegularFile(const std::string& path, bool follow_links) {
  OwnedHandle h(CreateFileW(
      WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING,
      FILE_FLAG_SEQUENTIAL_SCAN | (follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr));
  if (!h.valid() || GetFileType(h.get()) != FILE_TYPE_DISK) return OwnedHandle();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return OwnedHandle();
  }
  return h;
}

}  // namespace

std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder) {
  WIN32_FIND_DATAW found;
  std::unique_ptr<void, FindCloser> search(
      FindFirstFileExW((WidePath(folder) + L"\\*").c_str(), FindExInfoBasic, &found,
                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (search.get() == INVALID_HANDLE_VALUE) {
    search.release();
    NoteWriteFailure();
    return std::nullopt;
  }
  std::vector<DirEntry> entries;
  do {
    std::string name = Utf8(found.cFileName);
    if (name == "." || name == "..") continue;
    const bool is_link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    bool is_dir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (is_link) is_dir = PathIsDirectory(JoinPath(folder, name));
    entries.push_back({std::move(name), is_dir, is_link});
  } while (FindNextFileW(search.get(), &found));
  return entries;
}

std::optional<FileIdentity> IdentifyDirectory(const std::string& path) {
  auto info = Information(path, true);
  if (!info || !(info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  // The volume and the file's index on it: the same folder however reached.
  return FileIdentity{info->dwVolumeSerialNumber, Join(info->nFileIndexHigh, info->nFileIndexLow)};
}

std::vector<FileIdentity> IdentifyFoldersAbove(const std::string& path) {
  std::vector<FileIdentity> above;
  std::string p = NormalizePath(path);
  while (!FolderOf(p).empty()) {
    p = std::string(FolderOf(p));
    if (p.size() == 2 && p[1] == ':') p += '/';  // the drive's own folder
    if (auto id = IdentifyDirectory(p)) above.push_back(*id);
    if (p.size() == 3 && p[1] == ':') break;
  }
  return above;
}

bool PathIsDirectory(const std::string& path) {
  const DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  if (IsLink(a)) return IdentifyDirectory(path).has_value();  // what the link leads to
  return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathEntryExists(const std::string& path) {
  return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool PathIsRegularFile(const std::string& path) {
  auto info = Information(path, true);
  return info && !(info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CanOpenForReading(const std::string& path) { return OpenRegularFile(path, true).valid(); }

bool MakeDirectory(const std::string& path) {
  return CreateDirectoryW(WidePath(path).c_str(), nullptr) ||
         (GetLastError() == ERROR_ALREADY_EXISTS && PathIsDirectory(path));
}

FolderMade MakeFolderStep(const std::string& path) {
  DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) {
    const DWORD missing = GetLastError();
    if ((missing != ERROR_FILE_NOT_FOUND && missing != ERROR_PATH_NOT_FOUND) ||
        (!CreateDirectoryW(WidePath(path).c_str(), nullptr) &&
         GetLastError() != ERROR_ALREADY_EXISTS) ||
        (a = Attributes(path)) == INVALID_FILE_ATTRIBUTES) {
      NoteWriteFailure();
      return FolderMade::kFailed;
    }
  }
  if (IsLink(a)) return FolderMade::kLink;
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
    NoteWriteProblem(WriteProblem::kNotAFile);
    return FolderMade::kFailed;
  }
  return FolderMade::kReady;
}

std::optional<FileStamp> StampRegularFile(const std::string& path, bool follow_links) {
  auto info = Information(path, follow_links);
  if (!info ||
      (info->dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return std::nullopt;
  }
  // The system's times count 100 ns from 1601: from 1970 on, as elsewhere,
  // so that nanoseconds fit.
  auto ns = [](const FILETIME& t) {
    constexpr std::int64_t kFrom1601To1970 = 116444736000000000;
    return (static_cast<std::int64_t>(Join(t.dwHighDateTime, t.dwLowDateTime)) - kFrom1601To1970) *
           100;
  };
  return FileStamp{Join(info->nFileSizeHigh, info->nFileSizeLow), ns(info->ftLastWriteTime),
                   ns(info->ftCreationTime), info->dwVolumeSerialNumber,
                   Join(info->nFileIndexHigh, info->nFileIndexLow)};
}

bool RemoveEmptyFolder(const std::string& path) {
  return RemoveDirectoryW(WidePath(path).c_str()) != 0;
}

bool MakeDirectories(const std::string& path) {
  if (PathIsDirectory(path)) return true;
  const std::string_view above = FolderOf(path);
  if (!above.empty() && !(above.size() == 2 && above[1] == ':')) {
    MakeDirectories(std::string(above));
  }
  return MakeDirectory(path);
}

std::string CurrentDirectory() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring wide(n, L'\0');
  wide.resize(GetCurrentDirectoryW(n, wide.data()));
  return InsideForm(wide);
}

bool ChangeDirectory(const std::string& path) {
  return SetCurrentDirectoryW(WidePath(path).c_str()) != 0;
}

std::string UserDataFolder() {
  const wchar_t* appdata = _wgetenv(L"APPDATA");
  return appdata != nullptr && *appdata != L'\0' ? InsideForm(appdata) : std::string();
}

std::optional<std::string> DesktopFolder() {
  wchar_t path[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path) !=
      S_OK) {
    return std::nullopt;
  }
  return InsideForm(path);
}

bool DesktopTakesLaunchers() { return false; }

std::string AbsolutePath(const std::string& path) {
  const std::wstring wide = WidePath(path.empty() ? std::string(".") : path);
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), n, full.data(), nullptr));
  return InsideForm(full);
}

std::string NormalizePath(const std::string& path) {
  const std::string absolute = AbsolutePath(path);
  OwnedHandle h(CreateFileW(WidePath(absolute).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) {
    // The existing part resolved, the rest named as it is.
    const std::string_view above = FolderOf(absolute);
    if (above.empty() || above.size() == absolute.size() ||
        (above.size() == 2 && above[1] == ':')) {
      return absolute;
    }
    return JoinPath(NormalizePath(std::string(above)), LastName(absolute));
  }
  const DWORD n = GetFinalPathNameByHandleW(h.get(), nullptr, 0, FILE_NAME_NORMALIZED);
  std::wstring final_path(n, L'\0');
  final_path.resize(GetFinalPathNameByHandleW(h.get(), final_path.data(), n, FILE_NAME_NORMALIZED));
  return final_path.empty() ? absolute : InsideForm(final_path);
}

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return InsideForm(path);
    }
    path.resize(path.size() * 2);
  }
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t max_bytes) {
  OwnedHandle h = OpenRegularFile(path, true);
  LARGE_INTEGER size{};
  if (!h.valid() || !GetFileSizeEx(h.get(), &size) ||
      static_cast<std::uint64_t>(size.QuadPart) > max_bytes) {
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(h.get(), bytes.data() + done, want, &n, nullptr) || n == 0) break;
    done += n;
  }
  if (done != bytes.size()) return std::nullopt;  // the file shrank underneath us
  return bytes;
}

bool ReadRegularFileInPieces(const std::string& path,
                             const std::function<bool(std::string_view)>& consume,
                             bool follow_links) {
  OwnedHandle h = OpenRegularFile(path, follow_links);
  if (!h.valid()) return false;
  std::string piece(64 * 1024, '\0');
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h.get(), piece.data(), static_cast<DWORD>(piece.size()), &n, nullptr)) {
      return false;
    }
    if (n == 0 || !consume(std::string_view(piece.data(), n))) return true;
  }
}

// Windows runs a file by its name's ending, not by a mark on the file.
bool MakeExecutable(const std::string& path) { return PathIsRegularFile(path); }

}  // namespace lumivane::platform
