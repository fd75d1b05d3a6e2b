#include "platform/write_problem.h"

#include <cerrno>

namespace lumivane::platform {
namespace {

thread_local WriteProblem last_write_problem = WriteProblem::kNone;

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

}  // namespace

WriteProblem LastWriteProblem() { return last_write_problem; }

bool NoteWriteProblem(WriteProblem problem) {
  last_write_problem = problem;
  return false;
}

bool NoteWriteFailure() { return NoteWriteProblem(FromErrno(errno)); }

}  // namespace lumivane::platform
