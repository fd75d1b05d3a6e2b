#include "engine/run/folder_planner.h"

#include "engine/picture/output_shape.h"
#include "engine/run/folder_scan.h"
#include "engine/run/messages.h"
#include "engine/run/shards.h"

namespace lumivane {

std::optional<std::vector<PlannedPicture>> FolderPlanner::PlanFolder(
    const std::string& folder, const std::string& target_folder, const std::string& source) {
  auto files = ListPictureFiles(folder, &passed_over_);
  if (!files) {
    unlisted_[folder] = platform::LastWriteProblem();
    return std::nullopt;
  }
  const StringList share =
      ShardShare(*files, folder.substr(source.size()), request_.shard_index, request_.shard_count);
  std::vector<PlannedPicture> planned;
  auto shape_of = [this](const std::string& picture) {
    return ForetoldShape(picture, s_, switches_, request_.extras);
  };
  if (const auto clash =
          plan_.PlanFolder(folder, target_folder, *files, share, shape_of, planned)) {
    port_.ShowMessage(msg::kNoticeCaption, msg::RenameClash(*clash), MessageIcon::kError);
    refused_ = true;
    return std::nullopt;
  }
  return planned;
}

platform::WriteProblem FolderPlanner::WhyUnlisted(const std::string& folder) const {
  const auto it = unlisted_.find(folder);
  return it != unlisted_.end() ? it->second : platform::WriteProblem{};
}

}  // namespace lumivane
