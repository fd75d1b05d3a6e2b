// Thin layer over the operating system's file services. Everything that
// depends on the platform's path rules or system calls lives here, so the
// engine is built for another platform by replacing its .cc files:
// file_system.cc (paths, folders, reading) and temporary_files.cc (files
// written whole beside their place, and their clean-up), and windows/ the
// same for Windows. Paths inside the program are UTF-8 with '/' between
// folders on every system.
#ifndef LUMIVANE_PLATFORM_FILE_SYSTEM_H_
#define LUMIVANE_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/write_problem.h"

namespace lumivane::platform {

// The separator between folder and name in paths the program builds.
inline constexpr char kPathSeparator = '/';

// Folder + separator + name.
std::string JoinPath(std::string_view folder, std::string_view name);
// The last name of `path` and the folder it lies in ("" for a bare name),
// split at the separator alone: any other character, a backslash here, is
// part of a name (on Windows, where the system takes both, at either).
std::string_view LastName(std::string_view path);
std::string_view FolderOf(std::string_view path);

// The longest path the system takes, in bytes.
inline constexpr size_t kMaxPathBytes = 4095;

struct DirEntry {
  std::string name;           // the file system's own bytes, never re-encoded
  bool is_directory = false;  // also a link to a folder
  bool is_link = false;
};

// The entries of a folder in the order the system returns them, without "."
// and "..". Empty optional when the folder cannot be listed.
std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder);

// Identity of a directory, used to notice a folder reached twice.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
  bool operator<(const FileIdentity& o) const {
    return device != o.device ? device < o.device : inode < o.inode;
  }
};
std::optional<FileIdentity> IdentifyDirectory(const std::string& path);
// The identities of the folders above `path` (made absolute, the links of
// its existing part resolved), nearest first, up to the root.
std::vector<FileIdentity> IdentifyFoldersAbove(const std::string& path);

bool PathIsDirectory(const std::string& path);
bool PathIsRegularFile(const std::string& path);
bool CanOpenForReading(const std::string& path);
// True when there is anything of that name (a broken link too).
bool PathEntryExists(const std::string& path);
// True also when the folder exists already (another process made it first).
bool MakeDirectory(const std::string& path);
enum class FolderMade { kReady, kLink, kFailed };
// Makes the folder `below` ("a/b", or "" for `base` itself) inside `base`,
// folder by folder, never through a link: kLink when one is on the way.
FolderMade MakeFolderBelow(const std::string& base, const std::string& below);
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;
  // The change time and the file's identity: a file put in its place with
  // the same size and modification time (cp -p, mv) still differs here.
  std::int64_t ctime_ns = 0;
  std::uint64_t device = 0, inode = 0;
};
// Size and last change of a regular file; none for anything else, and,
// without `follow_links`, for a link too.
std::optional<FileStamp> StampRegularFile(const std::string& path, bool follow_links);
// Removes a folder only when it is empty.
bool RemoveEmptyFolder(const std::string& path);
// Creates the folder and every missing folder above it; true when it exists.
bool MakeDirectories(const std::string& path);

std::string CurrentDirectory();
// Where the user's programs keep their own files ($XDG_DATA_HOME, else
// ~/.local/share); empty without a home.
std::string UserDataFolder();
bool ChangeDirectory(const std::string& path);

// The user's desktop folder as the desktop names it (on Linux the XDG user
// directories, else ~/Desktop), whether it exists yet or not; none without
// a home.
std::optional<std::string> DesktopFolder();
// True where a program on the desktop needs a launcher file of the
// desktop's own beside its Internet shortcut (Linux desktops); Windows
// starts the Internet shortcut itself.
bool DesktopTakesLaunchers();

// Absolute, with "." and ".." folded and duplicate and trailing separators
// removed, by the text alone (links are kept as they are named).
std::string AbsolutePath(const std::string& path);

// Absolute, with "." and ".." folded and duplicate separators removed;
// symbolic links are resolved where the path exists.
std::string NormalizePath(const std::string& path);

// Full path of the running program file.
std::string ExecutablePath();

// Reads a regular file whole. Refuses anything that is not a regular file
// (without blocking on a FIFO) and files larger than max_bytes.
std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t max_bytes);

// Hands a regular file to `consume` piece by piece until the end or until
// `consume` returns false. False when the file cannot be opened as a
// regular file (a FIFO does not block) or cannot be read.
// With `follow_links` false, a link is refused like any other non-file.
bool ReadRegularFileInPieces(const std::string& path,
                             const std::function<bool(std::string_view)>& consume,
                             bool follow_links = true);

// Replaces `path` with `bytes` so that a crash at any moment leaves either
// the old file or the complete new one: temporary file beside it, full
// write, sync, rename. False (and the temporary removed) on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Lets the file be run as a program (a desktop's launcher must be).
bool MakeExecutable(const std::string& path);

// A file written whole beside its place and moved there later, so that
// several files can be written first and put in place together: the
// temporary file is removed unless Commit is called.
class PreparedFile {
 public:
  // None (and nothing left behind) when it cannot be written whole.
  static std::optional<PreparedFile> Write(const std::string& path, std::string_view bytes);
  PreparedFile(PreparedFile&& other) noexcept;
  PreparedFile(const PreparedFile&) = delete;
  PreparedFile& operator=(const PreparedFile&) = delete;
  PreparedFile& operator=(PreparedFile&&) = delete;
  ~PreparedFile();
  // Replaces the file at its place. False when it cannot.
  bool Commit();

 private:
  PreparedFile(std::string path, std::string temp, int fd)
      : path_(std::move(path)), temp_(std::move(temp)), fd_(fd) {}
  void Discard();
  std::string path_, temp_;
  int fd_ = -1;  // open, and locked, until committed or discarded
};

// Lets the process keep as many files open as the system allows it: every
// part of a cut picture stays open until all of them are written.
void RaiseOpenFileLimit();

// Temporary files that WriteFileAtomically has open at this moment. Removed
// by RemovePendingTemporaries, which a quitting program calls so that no
// half-written file is left behind.
void RemovePendingTemporaries();

// Removes them and ends the process with `exit_code` at once, holding the
// list so that no writer can start a new temporary file in between.
[[noreturn]] void RemovePendingTemporariesAndExit(int exit_code);

// From now on, an interrupt (Ctrl-C), SIGTERM or SIGHUP removes the
// temporary files being written and ends the process with 128 + the
// signal's number. Call before any other thread is started: the signals
// are blocked for every later thread and taken by one thread of its own.
// SIGPIPE is ignored: writing to a pipe nobody reads fails with EPIPE.
// With `first`, the first such signal only calls it (on that thread, with
// the signal's number), so that the work in hand can end in order; a
// second one ends the process as above.
void RemoveTemporariesOnInterrupt(std::function<void(int signal)> first = nullptr);

// This machine's name as temporary file names carry it.
const std::string& HostName();

// Removes the temporary files in `folder` that a writer of this machine
// which no longer runs (one that was killed) left behind: those whose
// writer's lock is free.
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_FILE_SYSTEM_H_
