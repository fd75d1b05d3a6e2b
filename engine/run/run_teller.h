// What a run tells of its pictures, in submission order: each one's log
// lines and its share of the summary, the report's row, and the report
// file beside the outputs once everything is told.
#ifndef LUMIVANE_ENGINE_RUN_RUN_TELLER_H_
#define LUMIVANE_ENGINE_RUN_RUN_TELLER_H_

#include <string>
#include <vector>

#include "engine/run/batch_run.h"
#include "engine/run/output_plan.h"
#include "engine/run/run_report.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

class RunTeller {
 public:
  RunTeller(WindowPort& port, const RunRequest& request, RunOutcome& summary)
      : port_(port), request_(request), summary_(summary) {}

  // Tells one picture. `mark_errors_told`: a mark that could not be laid
  // is told per picture (not when the watermark picture itself could not
  // be read, which was told once).
  // `extras`: what the picture's output was made with.
  void Tell(const PlannedPicture& picture, PictureResult result, bool mark_errors_told,
            const ExtraOperations& extras);
  // A picture, or a folder, that was never tried: its folder could not be
  // listed or made, which `told` (logged once for the folder) says.
  void TellUnmade(const std::string& source, PictureResult result, const std::string& told);
  const PictureResult& last() const { return rows_.back().result; }
  // The rows told so far that were not made as asked.
  int NotAsAsked() const;
  // Whether any picture was made or tried (not only skipped as done).
  bool DidSomething() const;
  // The run's operations, for the report's head.
  void SetOperations(std::string operations) { operations_ = std::move(operations); }
  // Both files into `target`, the shard's own names when there is one
  // (`shard` "K-of-N"). The page's path (the table's when only it was
  // saved); "" when there was nothing to report or it could not be saved.
  std::string WriteReport(const std::string& target, const std::string& shard);

 private:
  // A line of the log about the picture being told, kept for its row.
  void Log(const std::string& line);
  // The output a log line names: the one written (its name may hold the
  // output's size), the picture's own name for a cut picture.
  std::string Shown(const PlannedPicture& picture) const;

  WindowPort& port_;
  const RunRequest& request_;
  RunOutcome& summary_;
  std::vector<ReportRow> rows_;
  std::vector<std::string> told_now_;
  std::string operations_;
  bool mark_shrunk_told_ = false;  // once a run: every picture's mark alike
  bool text_shrunk_told_ = false;
  std::string last_unread_;  // the last picture told as unreadable
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RUN_TELLER_H_
