// Why the last write of this thread failed, in the user's terms, so that
// every file the program writes (pictures, the report, the manifest, the
// journal) can tell the user why it could not be saved; a folder that
// could not be listed or made records its reason here too.
#ifndef LUMIVANE_PLATFORM_WRITE_PROBLEM_H_
#define LUMIVANE_PLATFORM_WRITE_PROBLEM_H_

namespace lumivane::platform {

enum class WriteProblem {
  kNone,
  kDiskFull,
  kNoPermission,
  kNotAFile,  // a folder or another non-file holds the name
  kLinked,    // a file of ours that has another name too (a hard link)
  kInUse,
  kNameTooLong,  // longer than the disk takes
  kMissing,      // gone, or a folder on its way is
  kOther
};

WriteProblem LastWriteProblem();

// Records `problem` as this thread's last; false, for `return NoteWriteProblem(…)`.
bool NoteWriteProblem(WriteProblem problem);
// Records the problem the system's last error tells (errno; on Windows
// GetLastError); false.
bool NoteWriteFailure();

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_WRITE_PROBLEM_H_
