// A batch run: checks the inputs, saves the settings, then processes every
// picture of the source folder (and, on request, of every folder below it)
// into the target folder, mirroring the tree.
#ifndef LUMIVANE_ENGINE_RUN_BATCH_RUN_H_
#define LUMIVANE_ENGINE_RUN_BATCH_RUN_H_

#include <optional>
#include <string>

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

// What a run did, and what the front end is to do now that it is over:
// the run itself never unlocks, focuses, opens or stores anything.
struct RunOutcome {
  RunEnd end = RunEnd::kRefused;
  int processed = 0;
  int failed = 0;              // pictures that could not be read or written
  bool marks_missing = false;  // a watermark asked for could not be laid
  int over_limit = 0;          // pictures above the size cap even at the lowest quality
  int skipped = 0;             // done by an earlier run, left alone
  int folders_left = 0;        // folders that could not be reached or written into
  int not_reached = 0;         // pictures a stopped run did not start
  bool report_failed = false;  // the run's report could not be written
  std::optional<Field> focus;  // the input a refusal is about
  // The values the checks took, once they passed: the record to keep.
  std::optional<ProcessingSettings> checked;
  bool open_target = false;  // the user asked to see the outputs
  std::string target;        // as checked
  // Every picture processed as asked.
  bool Complete() const {
    return end == RunEnd::kFinished && failed == 0 && !marks_missing && over_limit == 0 &&
           folders_left == 0 && !report_failed;
  }
};

// The whole run on the calling thread; the window is reached only through
// `port`. `settings` is the program's settings record as it stands: the
// checks fill a copy of it from the request's inputs. Several
// pictures are processed at once, yet everything the window sees comes in
// the order of a one-by-one run.
RunOutcome BatchWorker(WindowPort& port, const ProcessingSettings& settings,
                       const RunRequest& request);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_BATCH_RUN_H_
