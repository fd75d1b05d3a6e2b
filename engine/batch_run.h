// A batch run: checks the inputs, saves the settings, then processes every
// picture of the source folder (and, on request, of every folder below it)
// into the target folder, mirroring the tree.
#ifndef LUMIVANE_ENGINE_BATCH_RUN_H_
#define LUMIVANE_ENGINE_BATCH_RUN_H_

#include <functional>
#include <string>

#include "engine/extra_operations.h"
#include "engine/processing_settings.h"
#include "engine/window_port.h"

namespace lumivane {

struct PictureResult;

// True from a run's first step to its last.
bool RunActive();

struct BatchOptions {
  int workers = 0;  // pictures processed at once; 0: one per core
  // Stores the checked settings once the checks have passed (the window
  // and --save-settings keep them in "config.dat"); none: not stored.
  std::function<void(const ProcessingSettings&)> save_settings;
  ExtraOperations extras;  // what marketplaces ask beyond the switches
  // This process's share of the job: shard `shard_index` of `shard_count`.
  int shard_index = 0;
  int shard_count = 1;
  // Leave alone a picture whose output is complete and newer than it.
  bool skip_done = false;
  // Told of every picture in file order, as the window is.
  std::function<void(const std::string& source, const PictureResult& result)> on_picture;
};

enum class RunEnd {
  kRefused,    // an input was refused; nothing was processed
  kCancelled,  // the user would not overwrite existing outputs
  kCutShort,   // a folder could not be created or listed
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
  bool report_failed = false;  // the run's report could not be written
  // Every picture processed as asked.
  bool Complete() const {
    return end == RunEnd::kFinished && failed == 0 && !marks_missing && over_limit == 0 &&
           folders_left == 0 && !report_failed;
  }
};

// The whole run on the calling thread; the window is reached only through
// `port`. `settings` is the program's one settings record. Several
// pictures are processed at once, yet everything the window sees comes in
// the order of a one-by-one run.
BatchSummary BatchWorker(WindowPort& port, ProcessingSettings& settings,
                         const BatchOptions& options = {});

// Starts BatchWorker on a thread of its own, which nobody waits for. False
// when the thread cannot be started.
bool StartBatchWorker(WindowPort& port, ProcessingSettings& settings,
                      const BatchOptions& options = {});

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_BATCH_RUN_H_
