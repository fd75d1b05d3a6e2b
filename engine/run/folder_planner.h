// The run's folders planned before a picture is made: each folder listed,
// this process's share of its pictures taken, and their outputs decided
// over the whole folder. What it met is kept for the run to tell: the
// files that are no pictures, the folders that could not be listed and
// why, and whether names two pictures would share refused the run.
#ifndef LUMIVANE_ENGINE_RUN_FOLDER_PLANNER_H_
#define LUMIVANE_ENGINE_RUN_FOLDER_PLANNER_H_

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/picture/processing_settings.h"
#include "engine/run/output_plan.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"
#include "platform/write_problem.h"

namespace lumivane {

// One output set's part in the planning: its plan, what its outputs are
// made with, and its target folder (the tree's below it).
struct PlannedSet {
  OutputPlan& plan;
  const ProcessingSettings& settings;
  const PictureSwitches& switches;
  const ExtraOperations& extras;
  std::string target;
};

// A folder's pictures for each output set, in the same order.
using FolderPlans = std::vector<std::vector<PlannedPicture>>;

class FolderPlanner {
 public:
  FolderPlanner(WindowPort& port, const RunRequest& request, std::vector<PlannedSet> sets)
      : port_(port), request_(request), sets_(std::move(sets)) {}

  // The pictures of `folder` (below `source`), listed once, each set's
  // outputs in its target folder below its target. None when the folder
  // cannot be read, or (refused()) when renamed outputs two pictures would
  // share refuse the run, told then.
  std::optional<FolderPlans> PlanFolder(const std::string& folder, const std::string& source);
  bool refused() const { return refused_; }
  // Files of the listed folders that are no pictures.
  int passed_over() const { return passed_over_; }
  // Why a folder could not be listed.
  platform::WriteProblem WhyUnlisted(const std::string& folder) const;

 private:
  WindowPort& port_;
  const RunRequest& request_;
  std::vector<PlannedSet> sets_;
  int passed_over_ = 0;
  bool refused_ = false;
  std::map<std::string, platform::WriteProblem> unlisted_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_FOLDER_PLANNER_H_
