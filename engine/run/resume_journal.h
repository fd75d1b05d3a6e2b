// What earlier runs into a target folder finished, kept beside their
// outputs, so that a resumed run (--skip-done) leaves exactly the pictures
// whose last run succeeded with the same settings, from the same source
// file, and whose outputs are all still there whole. Each process appends
// to a journal file of its own (shards of one job write side by side); a
// line is added for every picture a run finishes, success or not.
#ifndef LUMIVANE_ENGINE_RUN_RESUME_JOURNAL_H_
#define LUMIVANE_ENGINE_RUN_RESUME_JOURNAL_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/append_file.h"

namespace lumivane {

struct JournalEntry {
  std::int64_t when_ns = 0;  // the latest entry of a picture counts
  bool done = false;         // the picture's last run succeeded
  std::uint64_t source_size = 0;
  std::int64_t source_mtime_ns = 0;
  std::string settings;  // the key of the settings it was made with
  // Below the target folder, each with its size in bytes: what the picture
  // has in the target now, done or not (stale parts are found by them).
  std::vector<std::pair<std::string, std::uint64_t>> outputs;
};

class ResumeJournal {
 public:
  // Reads every journal file of the target folder; a missing or damaged
  // line is no entry.
  void Load(const std::string& target);

  // `source` below the source folder.
  const JournalEntry* Find(const std::string& source) const;

  // True when the picture need not be made again: its entry says done, with
  // `settings`, from the file `source_path` as it is now, and every output
  // is a file (not a link) of the size written.
  bool StillDone(const std::string& source, const std::string& source_path,
                 const std::string& settings) const;

  // Appends to this process's journal file, "" or "K-of-N" for a shard.
  // False when the journal cannot be written.
  bool Record(const std::string& source, const JournalEntry& entry, const std::string& shard);

 private:
  std::string target_;
  std::map<std::string, JournalEntry> entries_;
  std::optional<platform::AppendFile> file_;
};

// The journal file of a process: `shard` is "" or "K-of-N".
std::string JournalFileName(const std::string& shard);

// The source file's size and change time, for an entry.
bool DescribeSource(const std::string& path, JournalEntry& entry);

// A short key for a settings text: changed settings make other outputs.
std::string SettingsKey(const std::string& settings_text);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RESUME_JOURNAL_H_
