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
#include <vector>

#include "engine/picture/processing_settings.h"
#include "engine/run/output_plan.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"
#include "platform/write_problem.h"

namespace lumivane {

class FolderPlanner {
 public:
  FolderPlanner(WindowPort& port, OutputPlan& plan, const RunRequest& request,
                const ProcessingSettings& settings, const PictureSwitches& switches)
      : port_(port), plan_(plan), request_(request), s_(settings), switches_(switches) {}

  // The pictures of `folder` (below `source`, its outputs in
  // `target_folder`). None when the folder cannot be read, or (refused())
  // when renamed outputs two pictures would share refuse the run, told
  // then.
  std::optional<std::vector<PlannedPicture>> PlanFolder(const std::string& folder,
                                                        const std::string& target_folder,
                                                        const std::string& source);
  bool refused() const { return refused_; }
  // Files of the listed folders that are no pictures.
  int passed_over() const { return passed_over_; }
  // Why a folder could not be listed.
  platform::WriteProblem WhyUnlisted(const std::string& folder) const;

 private:
  WindowPort& port_;
  OutputPlan& plan_;
  const RunRequest& request_;
  const ProcessingSettings& s_;
  const PictureSwitches& switches_;
  int passed_over_ = 0;
  bool refused_ = false;
  std::map<std::string, platform::WriteProblem> unlisted_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_FOLDER_PLANNER_H_
