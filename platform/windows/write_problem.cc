#include "platform/write_problem.h"

#include <windows.h>

namespace lumivane::platform {
namespace {

thread_local WriteProblem last_write_problem = WriteProblem::kNone;

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

}  // namespace

WriteProblem LastWriteProblem() { return last_write_problem; }

bool NoteWriteProblem(WriteProblem problem) {
  last_write_problem = problem;
  return false;
}

bool NoteWriteFailure() { return NoteWriteProblem(FromSystemError(GetLastError())); }

}  // namespace lumivane::platform
