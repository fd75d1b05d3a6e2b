// One picture's work as the pool runs it, and what a run's outputs are
// made from (the key a resumed run compares).
#ifndef LUMIVANE_ENGINE_RUN_PICTURE_JOB_H_
#define LUMIVANE_ENGINE_RUN_PICTURE_JOB_H_

#include <optional>
#include <string>
#include <vector>
#include <vips/vips8>

#include "engine/picture/extra_operations.h"
#include "engine/picture/memory_budget.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_ops.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/output_plan.h"

namespace lumivane {

struct PictureJob {
  const ProcessingSettings& settings;
  const PictureSwitches& switches;
  const ExtraOperations& extras;
  // The run's watermark picture: in memory and only read, so every thread
  // shares it; none when it could not be read.
  const vips::VImage* watermark;
  OutputPlan& plan;
};

// Processes `picture` as planned, timed. One whose watermark picture was
// asked for and could not be read is not done.
PictureResult RunPictureJob(const PictureJob& job, const PlannedPicture& picture);

// The outputs of one picture for several sets (`pictures`: its plan in
// each, the job of each), from one reading of it; a page is made for each
// on its own. Timed together: each is given its share.
std::vector<PictureResult> RunPictureJobs(const std::vector<PictureJob>& jobs,
                                          const std::vector<PlannedPicture>& pictures);

// The operations' log line for a run with these switches, the marks'
// operations only where their mark is on; "" when none is on.
std::string OperationsInEffect(const ExtraOperations& extras, const PictureSwitches& switches);
// The mark switches the operation table's rows may need.
MarkSwitches MarksOf(const PictureSwitches& switches);

// A run's watermark picture: read once, no larger than it is laid, its
// memory pinned in the pictures' budget for the whole run.
struct RunWatermark {
  std::optional<vips::VImage> picture;
  std::optional<MemoryBudget::Ticket> memory;
  ReadFailure why;  // when it could not be read
};
// False when it could not be read.
bool ReadRunWatermark(RunWatermark& mark, const ProcessingSettings& settings,
                      const PictureSwitches& switches, const ExtraOperations& extras,
                      const std::vector<std::string>& sources);

// Everything a run's outputs are made from: the settings, the switches,
// the operations and the watermark picture's file.
std::string OutputSettingsText(const ProcessingSettings& settings, const PictureSwitches& switches,
                               const ExtraOperations& extras);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_PICTURE_JOB_H_
