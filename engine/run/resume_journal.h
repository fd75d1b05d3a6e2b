// What earlier runs into a target folder finished, kept beside their
// outputs, so that a resumed run (--skip-done) leaves exactly the pictures
// whose last run succeeded with the same settings, from the same source
// file, and whose outputs are all still there whole. A line is added for
// every picture a run finishes, success or not.
//
// The journal lies in a folder others may write, so it is read as input:
// only this run's own journal file, never through a link, never blocking;
// an entry is taken only when its source is a plain path below the source
// folder and its outputs plain names in the matching target folder.
#ifndef LUMIVANE_ENGINE_RUN_RESUME_JOURNAL_H_
#define LUMIVANE_ENGINE_RUN_RESUME_JOURNAL_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/append_file.h"
#include "platform/file_system.h"

namespace lumivane {

// An output as written: below the target folder, its size and modification
// time (a file changed since is the user's, never ours to remove).
struct JournalOutput {
  std::string path;
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;
};

struct JournalEntry {
  std::int64_t when_ns = 0;  // the latest entry of a picture counts
  bool done = false;         // the picture's last run succeeded
  platform::FileStamp source;
  std::string settings;                // the key of the settings it was made with
  std::vector<JournalOutput> outputs;  // what the picture has in the target now
};

class ResumeJournal {
 public:
  enum class Loaded { kNone, kRead, kUnusable };
  // Reads this process's journal file of the target folder ("" or "K-of-N"
  // for a shard). kUnusable: what is at that name is not a regular file of
  // ours this run can add to (problem() says why); the run then neither
  // trusts nor writes it.
  Loaded Load(const std::string& target, const std::string& shard);

  // `source` below the source folder.
  const JournalEntry* Find(const std::string& source) const;
  // How many lines the last Load skipped as longer than any it writes.
  int long_lines() const { return long_lines_; }

  // False when the journal cannot be written (problem() says why).
  bool Record(const std::string& source, const JournalEntry& entry);
  platform::WriteProblem problem() const { return problem_; }

 private:
  std::string path_;
  bool unusable_ = false;
  int long_lines_ = 0;
  platform::WriteProblem problem_ = platform::WriteProblem::kNone;
  std::map<std::string, JournalEntry> entries_;
  std::optional<platform::AppendFile> file_;
};

// The journal file of a process: `shard` is "" or "K-of-N".
std::string JournalFileName(const std::string& shard);

// A short key for a settings text: changed settings make other outputs.
std::string SettingsKey(const std::string& settings_text);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RESUME_JOURNAL_H_
