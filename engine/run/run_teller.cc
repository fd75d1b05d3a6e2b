#include "engine/run/run_teller.h"

#include <algorithm>

#include "engine/run/messages.h"
#include "platform/file_system.h"

namespace lumivane {

std::string RunTeller::Shown(const PlannedPicture& picture) const {
  const auto& outputs = rows_.back().result.outputs;
  return outputs.size() == 1 ? outputs.front() : picture.output;
}

void RunTeller::Tell(const PlannedPicture& picture, PictureResult result, bool mark_errors_told) {
  const std::string& source = picture.source;
  if (result.untrimmed == Untrimmed::kNoPlainBackground) {
    port_.AppendLogLine(msg::NoPlainBackground(source));
  } else if (result.untrimmed == Untrimmed::kNoProduct) {
    port_.AppendLogLine(msg::NoProduct(source));
  }
  if (result.unframed) port_.AppendLogLine(msg::NoRoomForFrame(source));
  if (result.mark_shrunk && !mark_shrunk_told_) {
    port_.AppendLogLine(msg::MarkShrunk(request_.inputs.picture));
    mark_shrunk_told_ = true;
  }
  rows_.push_back({source, std::move(result)});
  const PictureResult& told = rows_.back().result;
  switch (told.outcome) {
    case PictureOutcome::kProcessed:
      ++summary_.processed;
      if (told.over_limit) {
        ++summary_.over_limit;
        port_.AppendLogLine(msg::OverLimit(Shown(picture), request_.extras.max_kb));
      }
      break;
    case PictureOutcome::kReadFailed:
      ++summary_.failed;
      port_.AppendLogLine(msg::ReadError(source, told.read_failure));
      break;
    case PictureOutcome::kWriteFailed: {
      ++summary_.failed;
      // The part that could not be written, when the picture was cut.
      const std::string& path = told.outputs.empty() ? picture.output : told.outputs.back();
      port_.AppendLogLine(told.too_large_for_format
                              ? msg::TooLargeForFormat(path, request_.extras.format)
                              : msg::SaveError(path, told.write_problem));
      break;
    }
    case PictureOutcome::kMarkFailed:
      // Written, but without its mark: not done as asked.
      summary_.marks_missing = true;
      if (mark_errors_told) port_.AppendLogLine(msg::MarkError(Shown(picture)));
      break;
    case PictureOutcome::kSkipped:
      ++summary_.skipped;
      break;
    case PictureOutcome::kNameClash:
      ++summary_.failed;
      port_.AppendLogLine(msg::NameClash(source, told.outputs.front()));
      break;
    case PictureOutcome::kNotReached:
      ++summary_.not_reached;  // one line for them all, in the report
      break;
  }
}

bool RunTeller::DidSomething() const {
  return std::any_of(rows_.begin(), rows_.end(), [](const ReportRow& row) {
    return row.result.outcome != PictureOutcome::kSkipped;
  });
}

std::string RunTeller::WriteReport(const std::string& target, const std::string& shard) {
  if (rows_.empty()) return "";
  std::string name = kRunReportFile;
  // Each shard its own report: shards never replace each other's files.
  if (!shard.empty()) name.insert(name.rfind('.'), "." + shard);
  const std::string path = platform::JoinPath(target, name);
  if (!platform::WriteFileAtomically(path, RunReportCsv(rows_))) {
    port_.AppendLogLine(msg::SaveError(path, platform::LastWriteProblem()));
    summary_.report_failed = true;
    return "";
  }
  return path;
}

}  // namespace lumivane
