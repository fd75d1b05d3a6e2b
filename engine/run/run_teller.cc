#include "engine/run/run_teller.h"

#include <algorithm>

#include "engine/run/messages.h"
#include "platform/file_system.h"

namespace lumivane {

void RunTeller::Log(const std::string& line) {
  port_.AppendLogLine(line);
  told_now_.push_back(line);
}

std::string RunTeller::Shown(const PlannedPicture& picture) const {
  const auto& outputs = rows_.back().result.outputs;
  return outputs.size() == 1 ? outputs.front() : picture.output;
}

void RunTeller::Tell(const PlannedPicture& picture, PictureResult result, bool mark_errors_told,
                     const ExtraOperations& extras) {
  const std::string& source = picture.source;
  if (result.untrimmed == Untrimmed::kNoPlainBackground) {
    Log(msg::NoPlainBackground(source));
  } else if (result.untrimmed == Untrimmed::kNoProduct) {
    Log(msg::NoProduct(source));
  }
  if (result.unframed) Log(msg::NoRoomForFrame(source));
  if (result.ground_kept) Log(msg::NoGroundToWhiten(source));
  if (result.text_shrunk && !text_shrunk_told_) {
    port_.AppendLogLine(msg::kTextMarkShrunk);
    text_shrunk_told_ = true;
  }
  if (result.mark_shrunk && !mark_shrunk_told_) {
    port_.AppendLogLine(msg::MarkShrunk(request_.inputs.picture));
    mark_shrunk_told_ = true;
  }
  for (const LeftOut& picture : result.left_out)
    Log(msg::LeftOutOfPage(picture.source, picture.why));
  rows_.push_back({source, std::move(result), {}});
  const PictureResult& told = rows_.back().result;
  switch (told.outcome) {
    case PictureOutcome::kProcessed:
      // A page written without some of its pictures failed, once.
      ++(told.left_out.empty() ? summary_.processed : summary_.failed);
      if (told.over_limit) {
        ++summary_.over_limit;
        Log(msg::OverLimit(Shown(picture), extras.max_kb));
      }
      break;
    case PictureOutcome::kReadFailed:
      ++summary_.failed;
      // Once for all its outputs (several sets): it was read once.
      if (source != last_unread_) Log(msg::ReadError(source, told.read_failure));
      last_unread_ = source;
      break;
    case PictureOutcome::kWriteFailed: {
      ++summary_.failed;
      // The part that could not be written, when the picture was cut.
      const std::string& path = told.outputs.empty() ? picture.output : told.outputs.back();
      Log(told.too_large_for_format ? msg::TooLargeForFormat(path, extras.format)
                                    : msg::SaveError(path, told.write_problem));
      break;
    }
    case PictureOutcome::kMarkFailed:
      // Written, but without its mark: not done as asked.
      summary_.marks_missing = true;
      if (mark_errors_told) Log(msg::MarkError(Shown(picture)));
      break;
    case PictureOutcome::kSkipped:
      ++summary_.skipped;
      break;
    case PictureOutcome::kNameClash:
      ++summary_.failed;
      Log(msg::NameClash(source, told.outputs.front()));
      break;
    case PictureOutcome::kNotReached:
      ++summary_.not_reached;  // one line for them all, in the report
      break;
  }
  rows_.back().told = std::move(told_now_);
  told_now_.clear();
}

void RunTeller::TellUnmade(const std::string& source, PictureResult result,
                           const std::string& told) {
  ++summary_.failed;
  rows_.push_back({source, std::move(result), {told}});
}

int RunTeller::NotAsAsked() const {
  return static_cast<int>(std::count_if(
      rows_.begin(), rows_.end(), [](const ReportRow& row) { return NeedsALook(row.result); }));
}

bool RunTeller::DidSomething() const {
  return std::any_of(rows_.begin(), rows_.end(), [](const ReportRow& row) {
    return row.result.outcome != PictureOutcome::kSkipped;
  });
}

std::string RunTeller::WriteReport(const std::string& target, const std::string& shard) {
  if (rows_.empty()) return "";
  // Each shard its own report: shards never replace each other's files.
  auto named = [&](std::string name) {
    if (!shard.empty()) name.insert(name.rfind('.'), "." + shard);
    return platform::JoinPath(target, name);
  };
  auto save = [&](const std::string& path, const std::string& text) {
    if (platform::WriteFileAtomically(path, text)) return true;
    port_.AppendLogLine(msg::SaveError(path, platform::LastWriteProblem()));
    summary_.report_failed = true;
    return false;
  };
  const std::string table = named(kRunReportFile), page = named(kRunReportPage);
  const bool table_saved = save(table, RunReportCsv(rows_));
  if (save(page, RunReportHtml(rows_, target, operations_))) return page;
  return table_saved ? table : "";
}

}  // namespace lumivane
