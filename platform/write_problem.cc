#include "platform/write_problem.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace lumivane::platform {
namespace {

thread_local WriteProblem last_write_problem = WriteProblem::kNone;

#ifdef _WIN32
WriteProblem FromSystemError(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return WriteProblem::kDiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
      return WriteProblem::kNoPermission;
    case ERROR_DIRECTORY:
    case ERROR_DIR_NOT_EMPTY:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
    case ERROR_CANT_ACCESS_FILE:  // a link where a file of ours belongs
      return WriteProblem::kNotAFile;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return WriteProblem::kNameTooLong;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return WriteProblem::kMissing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return WriteProblem::kInUse;
    default:
      return WriteProblem::kOther;
  }
}
#else
WriteProblem FromErrno(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return WriteProblem::kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return WriteProblem::kNoPermission;
    case EISDIR:
    case ENOTDIR:
    case ENOTEMPTY:
    case EEXIST:
    case ELOOP:  // a link where a file of ours belongs
    case ENXIO:  // a FIFO or socket
      return WriteProblem::kNotAFile;
    case ENAMETOOLONG:
      return WriteProblem::kNameTooLong;
    case ENOENT:
      return WriteProblem::kMissing;
    case EBUSY:
    case ETXTBSY:
      return WriteProblem::kInUse;
    default:
      return WriteProblem::kOther;
  }
}
#endif

}  // namespace

WriteProblem LastWriteProblem() { return last_write_problem; }

bool NoteWriteProblem(WriteProblem problem) {
  last_write_problem = problem;
  return false;
}

bool NoteWriteFailure() {
#ifdef _WIN32
  return NoteWriteProblem(FromSystemError(GetLastError()));
#else
  return NoteWriteProblem(FromErrno(errno));
#endif
}

}  // namespace lumivane::platform
