// Where a run's outputs go and what is known of them, decided in one
// place: every picture's output name (from the folder's whole listing,
// whatever this process's share, so shards decide clashes alike), the
// names of a cut picture's parts and of names that hold the output's size
// (given to the pool's threads when the picture is made), what earlier
// runs wrote (the resume journal, read as untrusted input), the overwrite
// question, skip-done and the removal of surplus parts. A run removes only
// parts it cut again under the same name, and only files still as its
// journal recorded them.
#ifndef LUMIVANE_ENGINE_RUN_OUTPUT_PLAN_H_
#define LUMIVANE_ENGINE_RUN_OUTPUT_PLAN_H_

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_ops.h"
#include "engine/picture/rename.h"
#include "engine/picture/rename_list.h"
#include "engine/run/name_claims.h"
#include "engine/run/resume_journal.h"
#include "engine/run/string_list.h"
#include "platform/file_system.h"

namespace lumivane {

// The name a folder's page goes by in the log, the report and the journal,
// below the folder: no picture's name (a picture's has its extension).
inline constexpr char kPageName[] = "拼接长图";

// The name a folder's page is planned under: {name} is the folder's.
std::string PageFileName(const std::string& folder_name, int format);

// The plan for one picture of the run.
struct PlannedPicture {
  // What the log, the report and the journal know it by: the picture's
  // file; a page's: kPageName in its folder.
  std::string source;
  OutputSources sources;  // what it is made of
  // Its output; a name that holds the output's size shows "{w}" and "{h}"
  // until the picture is made.
  std::string output;
  bool clash = false;  // an earlier picture of the folder has this output
  bool sized = false;  // the name holds the output's size
  std::string name, folder_name, target_folder;
  int number = 0;                            // in the folder's name order, for renames
  std::optional<platform::FileStamp> stamp;  // the source file as it was submitted
  // A cut picture's parts and a name that holds the size, when its header
  // told the size before it was read (claimed then); else named once made.
  std::vector<std::string> paths;
  PictureSize size;
};

class OutputPlan {
 public:
  // `shard` is "" or "K-of-N"; `operations` as the run cuts, writes and
  // names pictures. `mark_text` is the text mark's text when it is on: one
  // with tokens makes each picture's key its own.
  OutputPlan(std::string source, std::string target, std::string settings_key,
             const ExtraOperations& operations, std::string shard, std::string mark_text = "");

  // Why the item list of the names cannot be used; "" when it can (or
  // none is given).
  const std::string& ListProblem() const { return list_problem_; }
  // Once the folders are planned: this process's pictures the item list
  // does not name (they keep their own names), and the list's lines that
  // name no picture.
  int NotOnList() const { return not_on_list_; }
  std::vector<RenameListLine> UnusedListLines() const;

  // What the picture's tokens stand for, its size not known yet.
  TokenValues TokensOf(const PlannedPicture& picture) const;
  // The source file as it is now; a page's pictures together (what any of
  // them is, by name and stamp). None when it cannot be stamped.
  static std::optional<platform::FileStamp> StampOf(const PlannedPicture& picture);

  // What earlier runs of this process's journal name wrote.
  ResumeJournal::Loaded LoadJournal();
  // Lines of the journal skipped as too long.
  int JournalLongLines() const { return journal_.long_lines(); }
  // Why the journal could not be read or written.
  platform::WriteProblem JournalProblem() const { return journal_.problem(); }

  // What a picture's header foretells it is written as; none when only
  // its pixels tell.
  using ShapeOf = std::function<std::optional<OutputShape>(const std::string& source)>;

  // The outputs of the pictures of `share`, decided over `all` (the
  // folder's whole listing) in name order: the first picture of a name
  // keeps it (every name it is written under: its parts and its size, as
  // `shape_of` foretells them), a later one is a clash. With a rename
  // pattern, a name two pictures would share is returned instead: the run
  // is refused.
  std::optional<std::string> PlanFolder(const std::string& folder, const std::string& target_folder,
                                        const StringList& all, const StringList& share,
                                        const ShapeOf& shape_of,
                                        std::vector<PlannedPicture>& planned);

  // From the pool's threads: the output's paths for the picture made at
  // `size` and cut into parts of `part_heights`, claimed; else the name
  // that is taken. A name that holds the size holds each part's own.
  NamedOutputs NameOutputs(const PlannedPicture& picture, PictureSize size,
                           const std::vector<int>& part_heights);

  // Whether an earlier picture took the names `source` was made under.
  bool Displaced(const std::string& source);

  // The picture's last run succeeded with these settings, from the source
  // file as it is, under the names planned now, and its outputs are still
  // as written. Its outputs are then claimed.
  bool StillDone(const PlannedPicture& picture);
  // What a picture left alone as done has in the target folder.
  std::vector<std::string> DoneOutputs(const std::string& source) const;
  // True when a name this run will write for the picture exists.
  bool OutputsExist(const PlannedPicture& picture);

  // Journals the picture's result; `surplus` gets the parts its last run
  // cut it into that this run no longer has (left in place, to be told).
  // False the first time the journal cannot be written.
  bool Record(const PlannedPicture& picture, const PictureResult& result,
              std::vector<std::string>& surplus);
  std::string JournalPath() const;

 private:
  std::string BelowSource(const std::string& path) const;
  std::string BelowTarget(const std::string& path) const;
  std::string FromTarget(const std::string& below) const;
  std::string MainOutput(const PlannedPicture& picture, PictureSize size) const;
  // Its name on the item list; "" when not on it.
  std::string ListName(const PlannedPicture& picture) const;
  // Names are made from the item list.
  bool NamedByList() const;
  // The key of the settings the picture is made with.
  std::string KeyOf(const PlannedPicture& picture) const;
  // A folder joined into one page: its pictures in order, under its name.
  void PlanPage(const std::string& folder, const std::string& target_folder, const StringList& all,
                const StringList& share, std::vector<PlannedPicture>& planned);
  // The names of the picture made at `size` and cut into `part_heights`.
  NamedOutputs NamesAt(const PlannedPicture& picture, PictureSize size,
                       const std::vector<int>& part_heights) const;
  // True when the names depend on the output's size or its parts.
  bool NamesNeedShape() const { return sized_names_ || slice_height_ > 0; }
  // The paths at `size` in `parts`, claimed unless another picture has one.
  NamedOutputs Claim(const PlannedPicture& picture, PictureSize size,
                     const std::vector<int>& part_heights);
  bool IsOwnPart(const std::string& path, const std::string& main) const;
  std::vector<std::string> SurplusParts(const JournalEntry& last, const PictureResult& result);
  // Whether a file of the target folder `folder` has a name that matches.
  bool AnyListed(const std::string& folder,
                 const std::function<bool(const std::string& name)>& matches);
  bool SizedNameExists(const std::string& output);

  const std::string source_, target_, settings_key_;
  const int slice_height_;
  const int format_;
  const std::string rename_;
  const bool sized_names_;
  const int rename_start_;
  const bool join_;
  const std::string mark_text_;  // the text mark's, when it holds tokens
  const std::string date_;       // the run's, for {date}
  // The files of one target folder, for names that hold the output's size.
  std::string listed_folder_;
  std::vector<std::string> listed_names_;
  const std::string shard_;
  ResumeJournal journal_;
  bool journal_failed_ = false;
  NameClaims claims_;
  std::optional<RenameList> list_;
  std::string list_problem_;
  std::set<int> used_lines_;  // of the item list, by their numbers
  int not_on_list_ = 0;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_OUTPUT_PLAN_H_
