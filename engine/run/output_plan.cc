#include "engine/run/output_plan.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "engine/picture/rename.h"
#include "engine/run/folder_scan.h"
#include "engine/run/shards.h"
#include "platform/file_system.h"
#include "platform/local_date.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

std::string LastName(const std::string& folder) {
  const std::string trimmed = folder.substr(0, folder.find_last_not_of('/') + 1);
  return trimmed.substr(trimmed.find_last_of('/') + 1);
}

bool SameStamp(const platform::FileStamp& a, const platform::FileStamp& b) {
  return a.size == b.size && a.mtime_ns == b.mtime_ns && a.ctime_ns == b.ctime_ns &&
         a.device == b.device && a.inode == b.inode;
}

// The file at `path` is still the one written: a regular file (not a
// link) of the size and modification time recorded.
bool StillAsWritten(const std::string& path, const JournalOutput& written) {
  const auto now = platform::StampRegularFile(path, false);
  return now && now->size == written.size && now->mtime_ns == written.mtime_ns;
}

}  // namespace

std::string PageFileName(const std::string& folder_name, int format) {
  return folder_name + OutputExtension(format);
}

OutputPlan::OutputPlan(std::string source, std::string target, std::string settings_key,
                       const ExtraOperations& operations, std::string shard, std::string mark_text)
    : source_(std::move(source)),
      target_(std::move(target)),
      settings_key_(std::move(settings_key)),
      slice_height_(operations.slice_height),
      format_(operations.format),
      rename_(operations.rename),
      sized_names_(!operations.rename.empty() && HoldsOutputSize(operations.rename)),
      rename_start_(operations.rename_start > 0 ? operations.rename_start : 1),
      join_(operations.join),
      mark_text_(HoldsTokens(mark_text) ? std::move(mark_text) : std::string()),
      date_(platform::LocalDate()),
      shard_(std::move(shard)) {
  if (!operations.rename_list.empty() && !rename_.empty()) {
    list_ = RenameList::Read(operations.rename_list, list_problem_);
  }
}

std::string OutputPlan::ListName(const PlannedPicture& p) const {
  const RenameListLine* line = list_ ? list_->Find(BelowSource(p.source)) : nullptr;
  return line != nullptr ? line->name : "";
}

bool OutputPlan::NamedByList() const {
  return list_ && rename_.find("{list}") != std::string::npos;
}

std::vector<RenameListLine> OutputPlan::UnusedListLines() const {
  std::vector<RenameListLine> unused;
  if (!list_) return unused;
  for (const RenameListLine& line : list_->lines()) {
    if (used_lines_.count(line.number) == 0) unused.push_back(line);
  }
  return unused;
}

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

ResumeJournal::Loaded OutputPlan::LoadJournal() {
  const auto loaded = journal_.Load(target_, shard_);
  // Told once by the run; nothing is written through it either.
  if (loaded == ResumeJournal::Loaded::kUnusable) journal_failed_ = true;
  return loaded;
}

TokenValues OutputPlan::TokensOf(const PlannedPicture& p) const {
  return {p.name, p.number, p.folder_name, date_, 0, 0, ListName(p)};
}

// The output's name: the picture's own with the format's extension, or
// the rename pattern's, with the size once it is known.
std::string OutputPlan::MainOutput(const PlannedPicture& p, PictureSize size) const {
  // A picture the item list does not name keeps its own name.
  if (rename_.empty() || (NamedByList() && ListName(p).empty())) {
    return OutputPathFor(p.target_folder, p.name, format_);
  }
  TokenValues values = TokensOf(p);
  values.width = size.width;
  values.height = size.height;
  return platform::JoinPath(p.target_folder,
                            RenamedBase(rename_, values) + OutputExtension(format_));
}

// A text mark with tokens prints each picture's own text: that text (its
// size aside, which the settings decide) is part of the picture's key.
std::string OutputPlan::KeyOf(const PlannedPicture& p) const {
  if (mark_text_.empty()) return settings_key_;
  return SettingsKey(settings_key_ + "\n" + ExpandedText(mark_text_, TokensOf(p)));
}

std::optional<std::string> OutputPlan::PlanFolder(const std::string& folder,
                                                  const std::string& target_folder,
                                                  const StringList& all, const StringList& share,
                                                  const ShapeOf& shape_of,
                                                  std::vector<PlannedPicture>& planned) {
  if (join_) {
    PlanPage(folder, target_folder, all, share, planned);
    return std::nullopt;
  }
  std::set<std::string> share_names(share.items.begin(), share.items.end());
  std::set<std::string> kept;
  for (size_t i = 0; i < all.items.size(); ++i) {
    PlannedPicture p;
    p.source = platform::JoinPath(folder, all.items[i]);
    p.sources = {{p.source}};
    p.name = all.items[i];
    p.folder_name = LastName(folder);
    p.target_folder = target_folder;
    p.number = rename_start_ + static_cast<int>(i);
    p.sized = sized_names_;
    p.output = MainOutput(p, {});
    if (list_) {
      const RenameListLine* line = list_->Find(BelowSource(p.source));
      if (line != nullptr) used_lines_.insert(line->number);
      if (line == nullptr && NamedByList() && share_names.count(p.name) > 0) ++not_on_list_;
    }
    // Every name the picture will be written under, where its header
    // tells them; else its own name, and a name that holds its size none
    // (claimed once it is made).
    std::vector<std::string> names;
    const auto shape = NamesNeedShape() ? shape_of(p.source) : std::nullopt;
    if (shape) {
      NamedOutputs named = NamesAt(p, shape->size, shape->part_heights);
      names = named.paths;
      if (!p.sized) names.push_back(p.output);  // "a.jpg" of "a_01.jpg": one source each
      p.paths = std::move(named.paths);
      p.size = shape->size;
    } else if (!p.sized) {
      names = {p.output};
    }
    for (const std::string& name : names) {
      if (kept.count(name) == 0) continue;
      if (!rename_.empty()) return name;
      p.clash = true;
      p.output = name;
      p.paths.clear();
      break;
    }
    if (!p.clash) kept.insert(names.begin(), names.end());
    if (share_names.count(p.name) > 0) planned.push_back(std::move(p));
  }
  claims_.Claim(kept);
  return std::nullopt;
}

void OutputPlan::PlanPage(const std::string& folder, const std::string& target_folder,
                          const StringList& all, const StringList& share,
                          std::vector<PlannedPicture>& planned) {
  // The shard of its first picture makes it: every page exactly once.
  if (all.items.empty() ||
      std::find(share.items.begin(), share.items.end(), all.items.front()) == share.items.end()) {
    return;
  }
  PlannedPicture p;
  p.source = platform::JoinPath(folder, kPageName);
  p.folder_name = LastName(folder);
  p.name = PageFileName(p.folder_name, format_);
  p.target_folder = target_folder;
  p.number = rename_start_;
  p.sized = sized_names_;
  p.output = MainOutput(p, {});
  p.sources.page = true;
  for (const std::string& item : all.items)
    p.sources.pictures.push_back(platform::JoinPath(folder, item));
  if (!p.sized) {
    claims_.Claim(p.output);
  }
  planned.push_back(std::move(p));
}

std::optional<platform::FileStamp> OutputPlan::StampOf(const PlannedPicture& picture) {
  if (!picture.sources.page) return platform::StampRegularFile(picture.source, true);
  // The pictures' names and stamps in one: a picture added, removed,
  // renamed or changed makes another page.
  platform::FileStamp page{};
  std::string all;
  for (const std::string& source : picture.sources.pictures) {
    const auto stamp = platform::StampRegularFile(source, true);
    if (!stamp) continue;  // left out of the page, and told then
    page.size += stamp->size;
    page.mtime_ns = std::max(page.mtime_ns, stamp->mtime_ns);
    page.ctime_ns = std::max(page.ctime_ns, stamp->ctime_ns);
    all += source + '\n' + std::to_string(stamp->size) + ',' + std::to_string(stamp->mtime_ns) +
           ',' + std::to_string(stamp->inode) + '\n';
  }
  page.inode = StableHash(all) >> 1;  // as many digits as the journal reads
  return page;
}

NamedOutputs OutputPlan::NamesAt(const PlannedPicture& picture, PictureSize size,
                                 const std::vector<int>& heights) const {
  const int parts = static_cast<int>(heights.size());
  const std::string main = picture.sized ? MainOutput(picture, size) : picture.output;
  NamedOutputs named;
  named.name = main;
  for (int i = 1; i <= parts; ++i) {
    // Each part is named at its own size, as a picture of its own.
    const std::string own =
        picture.sized ? MainOutput(picture, {size.width, heights[i - 1]}) : main;
    named.paths.push_back(parts == 1 ? main : SlicePath(own, i));
  }
  return named;
}

NamedOutputs OutputPlan::Claim(const PlannedPicture& picture, PictureSize size,
                               const std::vector<int>& heights) {
  NamedOutputs named = NamesAt(picture, size, heights);
  if (heights.size() == 1 && !picture.sized) return named;  // claimed with its folder
  // "a_01.jpg" may be the output of a picture of that name.
  if (auto taken = claims_.ClaimMade(picture.source, picture.number, named.paths, picture.paths)) {
    named.taken = std::move(*taken);
    return named;
  }
  // Put in place only while still its own.
  named.commit = [this, source = picture.source](const std::function<bool()>& put) {
    return claims_.PutWhileHeld(source, put);
  };
  return named;
}

bool OutputPlan::Displaced(const std::string& source) { return claims_.Displaced(source); }

NamedOutputs OutputPlan::NameOutputs(const PlannedPicture& picture, PictureSize size,
                                     const std::vector<int>& heights) {
  // As its header said: named and claimed before it was read.
  if (!picture.paths.empty() && size == picture.size && heights.size() == picture.paths.size()) {
    return {picture.sized ? MainOutput(picture, size) : picture.output, picture.paths, ""};
  }
  return Claim(picture, size, heights);
}

// "a_03.jpg" is a part of "a.jpg".
bool OutputPlan::IsOwnPart(const std::string& path, const std::string& main) const {
  // What comes before and after the number in "a_01.jpg".
  const std::string first = SlicePath(main, 1);
  const size_t at = first.rfind("_01") + 1;
  const std::string head = first.substr(0, at), tail = first.substr(at + 2);
  if (path.size() <= head.size() + tail.size() || !StartsWith(path, head) ||
      !EndsWith(path, tail)) {
    return false;
  }
  const std::string digits = path.substr(head.size(), path.size() - head.size() - tail.size());
  return digits.size() <= 6 && IsDigitsOnly(digits) && SlicePath(main, std::stoi(digits)) == path;
}

bool OutputPlan::StillDone(const PlannedPicture& picture) {
  const JournalEntry* e = journal_.Find(BelowSource(picture.source));
  if (!e || !e->done || e->settings != KeyOf(picture) || e->outputs.empty()) return false;
  // The same file: a source replaced, even by an older one or one of the
  // same size and time, is made again.
  if (!picture.stamp || !SameStamp(*picture.stamp, e->source)) return false;
  std::vector<std::string> paths;
  for (size_t i = 0; i < e->outputs.size(); ++i) {
    const std::string path = FromTarget(e->outputs[i].path);
    // Under the names this run gives the picture: the rename numbers may
    // have moved since.
    const std::string expected = e->outputs.size() == 1
                                     ? picture.output
                                     : SlicePath(picture.output, static_cast<int>(i) + 1);
    const bool named = path == expected || (picture.sized && MatchesAnySize(expected, path));
    if (!named || !StillAsWritten(path, e->outputs[i])) return false;
    paths.push_back(path);
  }
  return claims_.ClaimUnlessHeld(paths, [&picture](const std::string& path) {
    return path == picture.output ||
           std::find(picture.paths.begin(), picture.paths.end(), path) != picture.paths.end();
  });
}

std::vector<std::string> OutputPlan::DoneOutputs(const std::string& source) const {
  std::vector<std::string> outputs;
  if (const JournalEntry* done = journal_.Find(BelowSource(source))) {
    for (const JournalOutput& output : done->outputs) outputs.push_back(FromTarget(output.path));
  }
  return outputs;
}

bool OutputPlan::AnyListed(const std::string& folder,
                           const std::function<bool(const std::string& name)>& matches) {
  if (listed_folder_ != folder) {
    listed_folder_ = folder;
    listed_names_.clear();
    if (const auto entries = platform::ListDirectory(folder)) {
      for (const platform::DirEntry& e : *entries) {
        if (!e.is_directory) listed_names_.push_back(e.name);
      }
    }
  }
  return std::any_of(listed_names_.begin(), listed_names_.end(), matches);
}

bool OutputPlan::SizedNameExists(const std::string& output) {
  const size_t slash = output.find_last_of('/');
  const std::string name = output.substr(slash + 1);
  return AnyListed(output.substr(0, slash),
                   [&](const std::string& each) { return MatchesAnySize(name, each); });
}

bool OutputPlan::OutputsExist(const PlannedPicture& picture) {
  if (!picture.paths.empty()) {
    return std::any_of(picture.paths.begin(), picture.paths.end(),
                       [](const std::string& path) { return FileExists(path); });
  }
  const std::string& output = picture.output;
  if (picture.sized) {
    return SizedNameExists(output) || (slice_height_ > 0 && SizedNameExists(SlicePath(output, 1)));
  }
  if (FileExists(output)) return true;
  // Cut into parts not known yet: any part of its name is in the way.
  const std::string folder = output.substr(0, output.find_last_of('/'));
  return slice_height_ > 0 && AnyListed(folder, [&](const std::string& each) {
           return IsOwnPart(platform::JoinPath(folder, each), output);
         });
}

bool OutputPlan::Record(const PlannedPicture& picture, const PictureResult& result,
                        std::vector<std::string>& surplus) {
  JournalEntry entry;
  entry.when_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  entry.source = picture.stamp.value_or(platform::FileStamp{});
  entry.settings = KeyOf(picture);
  const bool all_written = !result.outputs.empty() &&
                           result.sizes.size() == result.outputs.size() &&
                           (result.outcome == PictureOutcome::kProcessed ||
                            result.outcome == PictureOutcome::kMarkFailed);
  bool stamped = all_written;
  if (all_written) {
    for (size_t i = 0; i < result.outputs.size() && stamped; ++i) {
      const auto now = platform::StampRegularFile(result.outputs[i], false);
      stamped = now && now->size == result.sizes[i];
      if (stamped)
        entry.outputs.push_back({BelowTarget(result.outputs[i]), now->size, now->mtime_ns});
    }
  }
  entry.done = stamped && result.outcome == PictureOutcome::kProcessed && !result.over_limit &&
               result.left_out.empty();  // a page without some of its pictures is made again
  const JournalEntry* last = journal_.Find(BelowSource(picture.source));
  if (!stamped) {
    entry.outputs.clear();
    if (last) entry.outputs = last->outputs;  // nothing written: what is there stays known
  } else if (last) {
    surplus = SurplusParts(*last, result);
  }
  if (journal_failed_) return true;
  if (journal_.Record(BelowSource(picture.source), entry)) return true;
  journal_failed_ = true;  // resumed runs will make its pictures again
  return false;
}

// What the picture's last run cut it into under this run's name and this
// run did not write again, when still as written then and no other
// picture's output in this run. They stay: a run removes nothing it did
// not write itself.
std::vector<std::string> OutputPlan::SurplusParts(const JournalEntry& last,
                                                  const PictureResult& result) {
  std::vector<std::string> surplus;
  if (slice_height_ <= 0 || result.output.empty()) return surplus;
  for (const JournalOutput& output : last.outputs) {
    const std::string path = FromTarget(output.path);
    if (!IsOwnPart(path, result.output) ||
        std::find(result.outputs.begin(), result.outputs.end(), path) != result.outputs.end() ||
        !StillAsWritten(path, output)) {
      continue;
    }
    if (!claims_.Claimed(path)) surplus.push_back(path);
  }
  return surplus;
}

std::string OutputPlan::JournalPath() const {
  return platform::JoinPath(target_, JournalFileName(shard_));
}

}  // namespace lumivane
