// A batch run: checks the inputs, saves the settings, then processes every
// picture of the source folder (and, on request, of every folder below it)
// into the target folder, mirroring the tree.
#ifndef LUMIVANE_ENGINE_RUN_BATCH_RUN_H_
#define LUMIVANE_ENGINE_RUN_BATCH_RUN_H_

#include <optional>

#include "engine/picture/processing_settings.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

enum class RunEnd {
  kRefused,    // an input was refused; nothing was processed
  kCancelled,  // the user would not overwrite existing outputs
  kCutShort,   // a folder could not be created or listed
  kStopped,    // the user stopped it (quitting the window)
  kFinished,
};

// What a run did, for callers that need it (the command line).
struct BatchSummary {
  RunEnd end = RunEnd::kRefused;
  int processed = 0;
  int failed = 0;              // pictures that could not be read or written
  bool marks_missing = false;  // a watermark asked for could not be laid
  int over_limit = 0;          // pictures above the size cap even at the lowest quality
  int skipped = 0;             // done by an earlier run, left alone
  int folders_left = 0;        // folders that could not be reached or written into
  int not_reached = 0;         // pictures a stopped run did not start
  bool report_failed = false;  // the run's report could not be written
  // Every picture processed as asked.
  bool Complete() const {
    return end == RunEnd::kFinished && failed == 0 && !marks_missing && over_limit == 0 &&
           folders_left == 0 && !report_failed;
  }
};

// The whole run on the calling thread; the window is reached only through
// `port`. `settings` is the program's one settings record, which the checks
// fill from the request's inputs. Several
// pictures are processed at once, yet everything the window sees comes in
// the order of a one-by-one run.
BatchSummary BatchWorker(WindowPort& port, ProcessingSettings& settings, const RunRequest& request);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_BATCH_RUN_H_
