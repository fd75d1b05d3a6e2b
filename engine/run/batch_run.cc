#include "engine/run/batch_run.h"

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/picture/imaging_environment.h"
#include "engine/picture/output_shape.h"
#include "engine/picture/size_rule.h"
#include "engine/run/basic_rows.h"
#include "engine/run/folder_planner.h"
#include "engine/run/folder_scan.h"
#include "engine/run/in_order_queue.h"
#include "engine/run/input_checks.h"
#include "engine/run/messages.h"
#include "engine/run/output_plan.h"
#include "engine/run/picture_job.h"
#include "engine/run/picture_pool.h"
#include "engine/run/resume_journal.h"
#include "engine/run/run_sets.h"
#include "engine/run/run_teller.h"
#include "engine/run/shards.h"
#include "engine/run/tree_listing.h"
#include "platform/file_system.h"
#include "platform/write_problem.h"

namespace lumivane {
namespace {

enum class OverwriteAnswer { kNotAsked, kAllConfirmed, kCancelled };

class BatchRun {
 public:
  BatchRun(WindowPort& port, const ProcessingSettings& settings, const RunRequest& request)
      : port_(port),
        s_(settings),
        workers_(request.workers > 0 ? request.workers : PicturePool::DefaultWorkers()),
        request_(request) {}

  const RunOutcome& outcome() const { return outcome_; }

  void Run() {
    EnsureImagingEnvironment();
    InputChecks checks(port_, request_.inputs, s_);
    const std::string source = checks.Source();
    // Several output sets: each one's operations, named, before the rest.
    for (const OutputSet& set : request_.sets) {
      const std::string conflict = OperationsConflict(set.extras);
      if (!conflict.empty()) {
        return port_.ShowMessage(msg::kNoticeCaption, set.name + "：" + conflict,
                                 MessageIcon::kError);
      }
    }
    const ExtraOperations& asked =
        request_.sets.empty() ? request_.extras : request_.sets[0].extras;
    if (!CheckInputs(checks, asked, ChecksFor::kRun, target_)) {
      outcome_.focus = checks.focus();
      if (checks.target_not_made()) {  // a failure to write, not a refusal
        RemoveMadeFolders(checks);
        outcome_.end = RunEnd::kCutShort;
        ++outcome_.folders_left;
      }
      return;
    }
    target_inside_source_ = checks.target_inside_source();
    outcome_.checked = s_;
    outcome_.target = target_;
    if (!OpenSets(source)) {
      RemoveMadeFolders(checks);
      return;
    }
    if (request_.inputs.subfolders) {
      RunSubfolders(source);
    } else {
      RunOneFolder(source);
    }
    if (outcome_.end == RunEnd::kRefused) RemoveMadeFolders(checks);
  }

 private:
  // A refused run leaves no folder it made.
  static void RemoveMadeFolders(const InputChecks& checks) {
    for (const std::string& folder : checks.made_folders()) {
      if (!platform::RemoveEmptyFolder(folder)) break;
    }
  }

  // Each set's plan, its journal read; false when the run is refused.
  bool OpenSets(const std::string& source) {
    std::vector<PlannedSet> planned;
    if (!OpenRunSets(port_, request_, s_, source, target_, ShardName(), sets_, planned)) {
      return false;
    }
    planner_.emplace(port_, request_, std::move(planned));
    return true;
  }

  // The checks have passed and the pictures are listed: the run starts
  // with these operations, told alike by every front end.
  void LogOperations() {
    const std::string heading = LogSetOperations(port_, sets_);
    teller_.SetOperations(heading);
    if (planner_->passed_over() > 0) port_.AppendLogLine(msg::PassedOver(planner_->passed_over()));
    // The item list names alike in every set.
    const OutputPlan& plan = *sets_.front().plan;
    if (plan.NotOnList() > 0) port_.AppendLogLine(msg::NotOnList(plan.NotOnList()));
    for (const RenameListLine& line : plan.UnusedListLines()) {
      port_.AppendLogLine(msg::ListLineUnused(line.number, line.given));
    }
  }

  // Read once for the whole run; one that cannot be read is reported once
  // and the run goes on without it.
  void ReadWatermark(const std::vector<const FolderPlans*>& pictures) {
    std::vector<std::string> sources;
    for (const auto* folder : pictures) {
      for (const PlannedPicture& picture : folder->front()) {
        const auto& made_of = picture.sources.pictures;
        sources.insert(sources.end(), made_of.begin(), made_of.end());
      }
    }
    for (RunSet& set : sets_) {
      if (!set.switches.picture_watermark) continue;
      if (!ReadRunWatermark(set.mark, set.s, set.switches, set.extras, sources)) {
        port_.AppendLogLine(msg::ReadError(set.s.sy_image, set.mark.why));
        outcome_.marks_missing = true;
        return;  // the same file for every set: told once
      }
    }
  }

  // The rows a folder's pictures give: one per picture and set.
  int RowsOf(const std::optional<FolderPlans>& plans) const {
    return plans ? static_cast<int>(plans->front().size() * sets_.size()) : 1;
  }

  void RunSubfolders(const std::string& source) {
    StringList folders = StringListNew();
    if (!ListTree(source, folders)) return;
    // Every folder listed and its outputs planned first: the run knows
    // how many pictures it has, and refuses names two would share before
    // anything is written.
    std::vector<std::optional<FolderPlans>> listed;
    for (int i = 0; i < folders.count(); ++i) {
      listed.push_back(planner_->PlanFolder(*StringListGet(folders, i), source));
      if (!listed.back() && planner_->refused()) return;
      // A folder that cannot be listed is a row of its own.
      total_ += RowsOf(listed.back());
    }
    std::vector<const FolderPlans*> all;
    for (const auto& folder : listed) {
      if (folder) all.push_back(&*folder);
    }
    ReadWatermark(all);
    LogOperations();
    port_.SetProgressRange(folders.count());
    port_.SetPictureCount(0, total_);
    outcome_.end = RunEnd::kFinished;
    // One pool for every folder: a tree of small folders keeps every
    // worker busy; what the window sees still comes folder by folder.
    for (int i = 0; i < folders.count(); ++i) {
      const FolderStep step =
          RunTreeFolder(source, *StringListGet(folders, i), listed[static_cast<size_t>(i)]);
      if (step == FolderStep::kAbandoned && stopped_) {
        for (size_t later = static_cast<size_t>(i) + 1; later < listed.size(); ++later) {
          if (listed[later]) NotReached(*listed[later], 0);
        }
        EndStopped();
      }
      if (step == FolderStep::kAbandoned) return;
      if (step == FolderStep::kCutShort) {
        // The folders after it are never reached: each picture is told.
        for (size_t later = static_cast<size_t>(i) + 1; later < listed.size(); ++later) {
          PlannedPicture unlisted;
          unlisted.source = *StringListGet(folders, static_cast<int>(later));
          NotReached(listed[later] ? *listed[later] : FolderPlans{{unlisted}}, 0);
        }
        break;
      }
      queue_.FolderEnd(i + 1);  // the bar moves once the folder is done
    }
    Report(true);
    AskSummary();
  }

  // The source tree's folders into `folders`, the source first; false when
  // the run is refused.
  bool ListTree(const std::string& source, StringList& folders) {
    auto listed = ListSourceTree(source, target_, target_inside_source_);
    if (const auto* refusal = std::get_if<Refusal>(&listed)) {
      port_.ShowMessage(msg::kNoticeCaption, refusal->message, MessageIcon::kError);
      outcome_.focus = refusal->focus;
      return false;
    }
    TreeListing& tree = std::get<TreeListing>(listed);
    folders = std::move(tree.folders);
    for (const std::string& link : tree.left_out.links) port_.AppendLogLine(msg::LinkLeftOut(link));
    if (tree.left_out.hidden > 0)
      port_.AppendLogLine(msg::HiddenFoldersSkipped(tree.left_out.hidden));
    for (const std::string& folder : tree.left_out.too_long) {
      port_.AppendLogLine(msg::PathTooLong(folder));
      ++outcome_.folders_left;
    }
    return true;
  }

  enum class FolderStep { kSubmitted, kCutShort, kAbandoned };

  // One folder of the tree: its target folder made, its pictures handed to
  // the pool.
  FolderStep RunTreeFolder(const std::string& source, const std::string& folder,
                           const std::optional<FolderPlans>& files) {
    const std::string below = folder.substr(source.size());
    std::string target_folder = target_ + below;
    auto made = platform::FolderMade::kReady;
    for (const RunSet& set : sets_) {
      if (made != platform::FolderMade::kReady) break;
      target_folder = set.target + below;
      made = platform::MakeFolderBelow(target_, target_folder.substr(target_.size()));
    }
    if (made == platform::FolderMade::kFailed || !files) {
      if (made != platform::FolderMade::kFailed) target_folder = target_ + below;
      const bool not_made = made == platform::FolderMade::kFailed;
      Report(true);
      FolderFailed(folder, not_made ? target_folder : "", files,
                   not_made ? platform::LastWriteProblem() : planner_->WhyUnlisted(folder));
      port_.ShowMessage(msg::kNoticeCaption,
                        not_made ? msg::kCannotCreateTarget : msg::kCannotReadSource,
                        MessageIcon::kError);
      if (not_made) outcome_.focus = Field::kTarget;
      outcome_.end = RunEnd::kCutShort;
      return FolderStep::kCutShort;
    }
    if (made == platform::FolderMade::kLink) {
      // Written through, the link would put outputs anywhere at all.
      Report(true);
      port_.AppendLogLine(msg::TargetLink(target_folder));
      ++outcome_.folders_left;
      done_ += RowsOf(files);
      port_.SetPictureCount(done_, total_);
      return FolderStep::kSubmitted;
    }
    return SubmitFiles(below, *files) ? FolderStep::kSubmitted : FolderStep::kAbandoned;
  }

  // A folder whose pictures are never tried: named in the log with why,
  // and each of its pictures a failed row (the folder itself when it
  // could not be listed). `target_folder` is the folder that could not be
  // made; "" when `folder` could not be listed.
  void FolderFailed(const std::string& folder, const std::string& target_folder,
                    const std::optional<FolderPlans>& files, platform::WriteProblem why) {
    const bool reading = target_folder.empty();
    const std::string line =
        msg::FolderError(reading ? msg::kCannotReadSource : msg::kCannotCreateTarget,
                         reading ? folder : target_folder, why, reading);
    port_.AppendLogLine(line);
    PictureResult failed;
    auto tell = [&](const std::string& source) {
      port_.SetPictureCount(++done_, total_);
      if (request_.on_picture) request_.on_picture(source, failed);
      teller_.TellUnmade(source, failed, line);
    };
    if (reading) {
      failed.outcome = PictureOutcome::kReadFailed;
      failed.read_failure.problem = ReadProblem::kCannotOpen;
      return tell(folder);
    }
    failed.outcome = PictureOutcome::kWriteFailed;
    failed.write_problem = why;
    for (const auto& set : *files) {
      for (const PlannedPicture& picture : set) tell(picture.source);
    }
  }

  void RunOneFolder(const std::string& source) {
    auto files = planner_->PlanFolder(source, source);
    if (!files) {
      if (planner_->refused()) return;
      total_ = 1;
      FolderFailed(source, "", files, planner_->WhyUnlisted(source));
      const std::string report = teller_.WriteReport(target_, ShardName());
      if (!report.empty()) port_.AppendLogLine(msg::ReportAt(report));
      port_.ShowMessage(msg::kNoticeCaption, msg::kCannotReadSource, MessageIcon::kError);
      outcome_.end = RunEnd::kCutShort;
      return;
    }
    total_ = RowsOf(files);
    ReadWatermark({&*files});
    LogOperations();
    port_.SetProgressRange(static_cast<int>(files->front().size()));
    port_.SetPictureCount(0, total_);
    progress_per_file_ = true;
    for (const RunSet& set : sets_) {
      if (set.target == target_) continue;
      // A set's folder made where it is asked, never through a link.
      const auto made = platform::MakeFolderBelow(target_, set.target.substr(target_.size()));
      if (made != platform::FolderMade::kReady) {
        if (made == platform::FolderMade::kLink) port_.AppendLogLine(msg::TargetLink(set.target));
        FolderFailed(source, set.target, files, platform::LastWriteProblem());
        port_.ShowMessage(msg::kNoticeCaption, msg::kCannotCreateTarget, MessageIcon::kError);
        outcome_.focus = Field::kTarget;
        outcome_.end = RunEnd::kCutShort;
        return;
      }
    }
    if (!SubmitFiles("", *files)) {
      if (stopped_) EndStopped();
      return;
    }
    Report(true);
    outcome_.end = RunEnd::kFinished;
    AskSummary();
  }

  // Tells what has finished (with `all`, all submitted), in submission order.
  void Report(bool all) {
    queue_.Tell(all, {[this](const InOrderQueue::Item& item, PictureResult result) {
                        Report(item, std::move(result));
                        if (item.journaled) Journal(item, teller_.last());
                      },
                      [this](int step) { port_.SetProgressPosition(step); }});
  }

  // The pictures of one folder (`below` the source), in file order, each
  // for every set: the plans' decisions (clash, skip-done, the overwrite
  // question) are taken here, the outputs a picture still needs are made
  // by the pool from one reading, and their outcomes are reported in file
  // order. False when the user refused to overwrite.
  bool SubmitFiles(const std::string& below, const FolderPlans& files) {
    // What an earlier, killed run was writing when it died.
    for (const RunSet& set : sets_) platform::RemoveStaleTemporaries(set.target + below);
    for (size_t i = 0; i < files.front().size(); ++i) {
      WhilePaused();
      if (StopAsked()) {
        stopped_ = true;
        NotReached(files, i);
        return false;
      }
      std::vector<InOrderQueue::Item> made;
      for (size_t k = 0; k < sets_.size(); ++k) {
        InOrderQueue::Item item{static_cast<int>(i), files[k][i], true, static_cast<int>(k)};
        const Decision decision = Decide(item);
        if (decision == Decision::kRefused) return false;
        if (decision == Decision::kMake) made.push_back(std::move(item));
      }
      if (!made.empty()) SubmitOutputs(std::move(made));
      Report(false);
    }
    return true;
  }

  enum class Decision { kMake, kDecided, kRefused };

  // Told without making when the set's output is done or its name is
  // taken; asks the overwrite question before the first output that would
  // replace a file (kRefused: the user would not).
  Decision Decide(InOrderQueue::Item& item) {
    OutputPlan& plan = *sets_[static_cast<size_t>(item.set)].plan;
    item.picture.stamp = OutputPlan::StampOf(item.picture);
    // "a.png" and "a.png.jpg" both give "a.png.jpg": the first keeps it.
    const bool skipped = !item.picture.clash && request_.skip_done && plan.StillDone(item.picture);
    if (skipped || item.picture.clash) {
      PictureResult decided;
      decided.outcome = skipped ? PictureOutcome::kSkipped : PictureOutcome::kNameClash;
      decided.outputs = skipped ? plan.DoneOutputs(item.picture.source)
                                : std::vector<std::string>{item.picture.output};
      item.journaled = !skipped;
      queue_.Decided(std::move(item), std::move(decided));
      return Decision::kDecided;
    }
    if (answer_ == OverwriteAnswer::kNotAsked && plan.OutputsExist(item.picture)) {
      Report(true);  // what came before the question is shown before it
      if (!AskOverwrite()) return Decision::kRefused;
    }
    return Decision::kMake;
  }

  // The outputs of one picture, one per set, made by the pool: a picture
  // read once for them all; a page made for each on its own.
  void SubmitOutputs(std::vector<InOrderQueue::Item> items) {
    std::vector<PlannedPicture> pictures;
    std::vector<PictureJob> jobs;
    for (const InOrderQueue::Item& item : items) {
      pictures.push_back(item.picture);
      RunSet& set = sets_[static_cast<size_t>(item.set)];
      jobs.push_back({set.s, set.switches, set.extras,
                      set.mark.picture ? &*set.mark.picture : nullptr, *set.plan});
    }
    queue_.SubmitGroup(std::move(items),
                       [jobs, pictures](int) { return RunPictureJobs(jobs, pictures); });
  }

  bool StopAsked() const { return request_.stop && request_.stop->load(); }

  void WhilePaused() {
    while (request_.pause && request_.pause->load() && !StopAsked()) {
      Report(false);  // what finishes meanwhile is still told
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  // The pictures from `first` on, listed in the report as not started.
  void NotReached(const FolderPlans& files, size_t first) {
    for (size_t i = first; i < files.front().size(); ++i) {
      for (size_t k = 0; k < files.size(); ++k) {
        PictureResult result;
        result.outcome = PictureOutcome::kNotReached;
        queue_.Decided({static_cast<int>(i), files[k][i], false, static_cast<int>(k)},
                       std::move(result));
      }
    }
  }

  // A stopped run finishes the pictures in hand and keeps its record: the
  // report lists every picture, and the log says where it is.
  void EndStopped() {
    Report(true);
    outcome_.end = RunEnd::kStopped;
    const std::string report = teller_.WriteReport(target_, ShardName());
    port_.AppendLogLine(msg::Stopped(outcome_.processed, outcome_.not_reached, report));
  }

  void Journal(const InOrderQueue::Item& item, const PictureResult& result) {
    std::vector<std::string> surplus;
    OutputPlan& plan = *sets_[static_cast<size_t>(item.set)].plan;
    if (!plan.Record(item.picture, result, surplus)) {
      port_.AppendLogLine(msg::SaveError(plan.JournalPath(), plan.JournalProblem()));
    }
    for (const std::string& path : surplus) port_.AppendLogLine(msg::SurplusPartKept(path));
  }

  std::string ShardName() const { return ShardNameOf(request_.shard_index, request_.shard_count); }

  bool AskOverwrite() {
    if (port_.AskYesNo(Question::kOverwrite, msg::kQuestionCaption, msg::kOverwriteQuestion)) {
      answer_ = OverwriteAnswer::kAllConfirmed;
      return true;
    }
    // A run cut short before it did anything leaves the last report alone.
    if (teller_.DidSomething()) teller_.WriteReport(target_, ShardName());
    port_.TellCancelled();
    answer_ = OverwriteAnswer::kCancelled;
    outcome_.end = RunEnd::kCancelled;
    return false;
  }

  void Report(const InOrderQueue::Item& item, PictureResult result) {
    port_.SetPictureCount(++done_, total_);
    RunSet& set = sets_[static_cast<size_t>(item.set)];
    // Written, then its name taken by an earlier picture finished later.
    if (result.outcome == PictureOutcome::kProcessed && set.plan->Displaced(item.picture.source)) {
      result.outcome = PictureOutcome::kNameClash;
      result.outputs = {result.output};
    }
    if (request_.on_picture) request_.on_picture(item.picture.source, result);
    // A watermark picture that could not be read was told once.
    const bool mark_errors_told = set.mark.picture || !set.switches.picture_watermark;
    teller_.Tell(item.picture, std::move(result), mark_errors_told, set.extras);
    // Every picture moves the bar, an unreadable one too: it ends full (a
    // picture's last set moves it).
    if (progress_per_file_ && static_cast<size_t>(item.set) + 1 == sets_.size()) {
      port_.SetProgressPosition(item.position + 1);
    }
  }

  void AskSummary() {
    // Stopped as the last pictures were in hand: nothing left to ask.
    if (StopAsked()) return EndStopped();
    // The report goes beside the outputs once every picture has been told.
    const std::string report = teller_.WriteReport(target_, ShardName());
    if (!report.empty()) port_.AppendLogLine(msg::ReportAt(report));
    outcome_.open_target =
        port_.AskYesNo(Question::kOpenTarget, msg::kDoneCaption,
                       msg::Summary(outcome_.processed, teller_.NotAsAsked(), report));
  }

  WindowPort& port_;
  ProcessingSettings s_;
  std::string target_;
  bool target_inside_source_ = false;
  RunSets sets_;  // once the checks have passed
  std::optional<FolderPlanner> planner_;
  int workers_;
  bool progress_per_file_ = false;  // else per folder
  RunRequest request_;
  int total_ = 0;  // pictures of the run
  int done_ = 0;   // pictures reported
  // Last, so that its threads are done before anything they use goes.
  InOrderQueue queue_{workers_};
  OverwriteAnswer answer_ = OverwriteAnswer::kNotAsked;
  bool stopped_ = false;  // at the user's request
  RunOutcome outcome_;
  RunTeller teller_{port_, request_, outcome_};
};

}  // namespace

RunOutcome BatchWorker(WindowPort& port, const ProcessingSettings& settings,
                       const RunRequest& request) {
  platform::RaiseOpenFileLimit();
  BatchRun run(port, settings, request);
  // The imaging environment stays up for the process: previews and font
  // checks use it too.
  run.Run();
  return run.outcome();
}

}  // namespace lumivane
