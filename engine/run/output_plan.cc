#include "engine/run/output_plan.h"

#include <algorithm>
#include <chrono>

#include "engine/picture/extra_operations.h"
#include "engine/run/folder_scan.h"
#include "engine/run/rename.h"
#include "platform/file_system.h"

namespace lumivane {

OutputPlan::OutputPlan(std::string source, std::string target, std::string settings_key,
                       const ExtraOperations& operations, std::string shard)
    : source_(std::move(source)),
      target_(std::move(target)),
      settings_key_(std::move(settings_key)),
      slice_height_(operations.slice_height),
      format_(operations.format),
      rename_(operations.rename),
      rename_start_(operations.rename_start > 0 ? operations.rename_start : 1),
      shard_(std::move(shard)) {}

// Paths as the journal keeps them: below the source or the target folder.
std::string OutputPlan::BelowSource(const std::string& path) const {
  return path.substr(source_.size() + 1);
}
std::string OutputPlan::BelowTarget(const std::string& path) const {
  return path.substr(target_.size() + 1);
}
std::string OutputPlan::FromTarget(const std::string& below) const {
  return platform::JoinPath(target_, below);
}

std::string OutputPlan::OutputFor(const std::string& folder, const std::string& target_folder,
                                  const std::string& name) {
  if (rename_.empty()) return OutputPathFor(target_folder, name, format_);
  if (numbered_folder_ != folder && rename_.find("{n") != std::string::npos) {
    numbered_folder_ = folder;
    numbers_.clear();
    if (const auto all = ListPictureFiles(folder)) {
      for (const std::string& each : all->items) {
        numbers_.emplace(each, rename_start_ + static_cast<int>(numbers_.size()));
      }
    }
  }
  const auto number = numbers_.find(name);
  std::string folder_name = folder.substr(0, folder.find_last_not_of('/') + 1);
  folder_name = folder_name.substr(folder_name.find_last_of('/') + 1);
  const std::string base = RenamedBase(
      rename_, name, number == numbers_.end() ? rename_start_ : number->second, folder_name);
  return platform::JoinPath(target_folder, base + OutputExtension(format_));
}

bool OutputPlan::SizedNameExists(const std::string& output) {
  if (!HoldsOutputSize(output)) return false;
  const size_t slash = output.find_last_of('/');
  const std::string folder = output.substr(0, slash), name = output.substr(slash + 1);
  if (listed_folder_ != folder) {
    listed_folder_ = folder;
    listed_names_.clear();
    if (const auto entries = platform::ListDirectory(folder)) {
      for (const platform::DirEntry& e : *entries) {
        if (!e.is_directory) listed_names_.push_back(e.name);
      }
    }
  }
  return std::any_of(listed_names_.begin(), listed_names_.end(),
                     [&](const std::string& each) { return MatchesAnySize(name, each); });
}

std::optional<std::string> OutputPlan::FirstClash(const std::string& folder,
                                                  const std::string& target_folder,
                                                  const StringList& files) {
  if (rename_.empty()) return std::nullopt;
  std::set<std::string> seen;
  for (const std::string& name : files.items) {
    std::string output = OutputFor(folder, target_folder, name);
    // A name that holds the output's size is known, and claimed, once made.
    if (!HoldsOutputSize(output) && !seen.insert(output).second) return output;
  }
  return std::nullopt;
}

void OutputPlan::ClaimFolder(const std::string& folder, const std::string& target_folder,
                             const StringList& files) {
  std::vector<std::string> outputs;
  for (const std::string& name : files.items) {
    outputs.push_back(OutputFor(folder, target_folder, name));
  }
  std::lock_guard lock(claimed_mutex_);
  claimed_.insert(outputs.begin(), outputs.end());
}

std::string OutputPlan::ClaimParts(const std::vector<std::string>& parts) {
  std::lock_guard lock(claimed_mutex_);
  for (const std::string& part : parts) {
    if (claimed_.count(part) > 0) return part;
  }
  claimed_.insert(parts.begin(), parts.end());
  return "";
}

bool OutputPlan::IsClaimed(const std::string& path) {
  std::lock_guard lock(claimed_mutex_);
  return claimed_.count(path) > 0;
}

bool OutputPlan::StillDone(const std::string& source) const {
  return journal_.StillDone(BelowSource(source), source, settings_key_);
}

std::vector<std::string> OutputPlan::DoneOutputs(const std::string& source) const {
  std::vector<std::string> outputs;
  if (const JournalEntry* done = journal_.Find(BelowSource(source))) {
    for (const auto& [output, size] : done->outputs) outputs.push_back(FromTarget(output));
  }
  return outputs;
}

bool OutputPlan::OutputsExist(const std::string& source, const std::string& output) {
  if (FileExists(output) || SizedNameExists(output)) return true;
  if (slice_height_ > 0 && FileExists(SlicePath(output, 1))) return true;
  const JournalEntry* last = journal_.Find(BelowSource(source));
  if (!last) return false;
  return std::any_of(last->outputs.begin(), last->outputs.end(),
                     [&](const auto& written) { return FileExists(FromTarget(written.first)); });
}

// A picture counts as done for a resumed run only once its last run
// succeeded; the parts an earlier run cut it into and this run did not
// write again go.
bool OutputPlan::Record(const std::string& source, const std::string& output, JournalEntry entry,
                        const PictureResult& result) {
  entry.when_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  const bool all_written = result.sizes.size() == result.outputs.size();
  entry.done = result.outcome == PictureOutcome::kProcessed && !result.over_limit && all_written;
  const std::string below = BelowSource(source);
  entry.settings = settings_key_;
  if (all_written && !result.outputs.empty()) {
    for (size_t i = 0; i < result.outputs.size(); ++i) {
      entry.outputs.emplace_back(BelowTarget(result.outputs[i]), result.sizes[i]);
    }
    RemoveStaleOutputs(below, output, result.outputs);
  } else if (const JournalEntry* last = journal_.Find(below)) {
    entry.outputs = last->outputs;  // nothing written: what is there stays known
  }
  if (journal_.Record(below, entry, shard_) || journal_failed_) return true;
  journal_failed_ = true;  // resumed runs will make its pictures again
  return false;
}

std::string OutputPlan::JournalPath() const {
  return platform::JoinPath(target_, JournalFileName(shard_));
}

// Of what the picture's last run wrote, what this run did not write again,
// unless another picture of the run has that name for its output.
void OutputPlan::RemoveStaleOutputs(const std::string& below, const std::string& own,
                                    const std::vector<std::string>& written) {
  const JournalEntry* last = journal_.Find(below);
  if (!last) return;
  for (const auto& [output, size] : last->outputs) {
    const std::string path = FromTarget(output);
    if ((path == own || !IsClaimed(path)) &&
        std::find(written.begin(), written.end(), path) == written.end() &&
        platform::StampRegularFile(path, false)) {
      platform::RemoveFile(path);
    }
  }
}

}  // namespace lumivane
