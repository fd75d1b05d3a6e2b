// The output sets of a run: one into the target, or several (`--outputs`,
// each picture read once for them all), each with its folder, its width
// and operations, its plan and journal, and its watermark picture.
#ifndef LUMIVANE_ENGINE_RUN_RUN_SETS_H_
#define LUMIVANE_ENGINE_RUN_RUN_SETS_H_

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "engine/picture/picture_switches.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/folder_planner.h"
#include "engine/run/output_plan.h"
#include "engine/run/picture_job.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

struct RunSet {
  std::string name;    // its folder in the target; "" for the target itself
  std::string target;  // its folder
  UserInputs inputs;   // as it is made: its own width
  ProcessingSettings s;
  PictureSwitches switches;
  ExtraOperations extras;
  std::optional<OutputPlan> plan;
  RunWatermark mark;
};
// Never moved: plans and planners refer to their sets.
using RunSets = std::deque<RunSet>;

// The request's sets into `sets` (`settings` as the checks took them),
// each plan's journal read and what is wrong with it logged; the planners'
// view of them into `planned`. False, told, when the item list of the
// names cannot be used: the run is refused.
bool OpenRunSets(WindowPort& port, const RunRequest& request, const ProcessingSettings& settings,
                 const std::string& source, const std::string& target, const std::string& shard,
                 RunSets& sets, std::vector<PlannedSet>& planned);

// Each set's operations into the log (under its name when there are
// several); the report's heading.
std::string LogSetOperations(WindowPort& port, const RunSets& sets);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RUN_SETS_H_
