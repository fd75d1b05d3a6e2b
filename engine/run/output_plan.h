// Where a run's outputs go and what is known of them: every output name is
// given once per run (the main outputs of the pictures listed, the parts of
// cut pictures), what earlier runs wrote (the resume journal), and the
// parts a picture's earlier run left that this run did not write again.
// The overwrite question, skip-done, the report of skipped pictures and
// the clean-up all ask the plan.
#ifndef LUMIVANE_ENGINE_RUN_OUTPUT_PLAN_H_
#define LUMIVANE_ENGINE_RUN_OUTPUT_PLAN_H_

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_ops.h"
#include "engine/run/resume_journal.h"
#include "engine/run/string_list.h"

namespace lumivane {

class OutputPlan {
 public:
  // `shard` is "" or "K-of-N"; `operations` as the run cuts, writes and
  // names pictures.
  OutputPlan(std::string source, std::string target, std::string settings_key,
             const ExtraOperations& operations, std::string shard);

  // The output of the picture `name` of `folder`: its name (or the name
  // the rename pattern gives it) with the format's extension, in
  // `target_folder`.
  std::string OutputFor(const std::string& folder, const std::string& target_folder,
                        const std::string& name);
  // With a rename pattern: the first output two of the folder's pictures
  // would share, if any.
  std::optional<std::string> FirstClash(const std::string& folder, const std::string& target_folder,
                                        const StringList& files);

  // What earlier runs into the target folder wrote.
  void LoadJournal() { journal_.Load(target_); }

  // A folder's main outputs, claimed before any of its pictures is made.
  void ClaimFolder(const std::string& folder, const std::string& target_folder,
                   const StringList& files);
  // From the pool's threads: all of a picture's parts, or none ("" when
  // they are all its own, else the first that is taken).
  std::string ClaimParts(const std::vector<std::string>& parts);

  // The picture's last run succeeded with these settings, from the source
  // file as it is, and its outputs are whole.
  bool StillDone(const std::string& source) const;
  // What a picture left alone as done has in the target folder.
  std::vector<std::string> DoneOutputs(const std::string& source) const;
  // What the picture would replace: its output (for a name holding the
  // output's size, a file that name takes for any size), the first part of
  // a cut picture, and whatever its last run wrote.
  bool OutputsExist(const std::string& source, const std::string& output);

  // Journals the picture's result (`entry` describes its source file as it
  // was submitted) and removes what its last run wrote and this one did
  // not. False the first time the journal cannot be written.
  bool Record(const std::string& source, const std::string& output, JournalEntry entry,
              const PictureResult& result);
  std::string JournalPath() const;

 private:
  std::string BelowSource(const std::string& path) const;
  std::string BelowTarget(const std::string& path) const;
  std::string FromTarget(const std::string& below) const;
  void RemoveStaleOutputs(const std::string& below, const std::string& own,
                          const std::vector<std::string>& written);
  bool IsClaimed(const std::string& path);
  bool SizedNameExists(const std::string& output);

  const std::string source_, target_, settings_key_;
  const int slice_height_;
  const int format_;
  const std::string rename_;
  const int rename_start_;
  // The numbers of the pictures of one folder in its name order (all its
  // pictures, whatever this process's share).
  std::string numbered_folder_;
  std::map<std::string, int> numbers_;
  // The files of one target folder, for names that hold the output's size.
  std::string listed_folder_;
  std::vector<std::string> listed_names_;
  const std::string shard_;
  ResumeJournal journal_;
  bool journal_failed_ = false;
  std::mutex claimed_mutex_;
  std::set<std::string> claimed_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_OUTPUT_PLAN_H_
