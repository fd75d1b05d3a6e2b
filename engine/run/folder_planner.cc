#include "engine/run/folder_planner.h"

#include "engine/picture/output_shape.h"
#include "engine/run/folder_scan.h"
#include "engine/run/messages.h"
#include "engine/run/shards.h"

namespace lumivane {

std::optional<FolderPlans> FolderPlanner::PlanFolder(const std::string& folder,
                                                     const std::string& source) {
  auto files = ListPictureFiles(folder, &passed_over_);
  if (!files) {
    unlisted_[folder] = platform::LastWriteProblem();
    return std::nullopt;
  }
  const std::string below = folder.substr(source.size());
  const StringList share = ShardShare(*files, below, request_.shard_index, request_.shard_count);
  FolderPlans plans;
  for (const PlannedSet& set : sets_) {
    auto shape_of = [&set](const std::string& picture) {
      return ForetoldShape(picture, set.settings, set.switches, set.extras);
    };
    std::vector<PlannedPicture>& planned = plans.emplace_back();
    if (const auto clash =
            set.plan.PlanFolder(folder, set.target + below, *files, share, shape_of, planned)) {
      port_.ShowMessage(msg::kNoticeCaption, msg::RenameClash(*clash), MessageIcon::kError);
      refused_ = true;
      return std::nullopt;
    }
  }
  return plans;
}

platform::WriteProblem FolderPlanner::WhyUnlisted(const std::string& folder) const {
  const auto it = unlisted_.find(folder);
  return it != unlisted_.end() ? it->second : platform::WriteProblem{};
}

}  // namespace lumivane
