#include "engine/run/run_report.h"

#include <string_view>

#include "engine/run/messages.h"
#include "text/text_codec.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// As a spreadsheet should show it: a name in GBK decoded (the file is
// UTF-8), a text that a spreadsheet would run as a formula marked as text
// by a leading "'", quoted where it would otherwise split.
std::string Field(const std::string& raw) {
  std::string text = ShownName(raw);
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) {
    text.insert(0, "'");
  }
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string SizeText(const PictureSize& s) {
  return s.width > 0 ? std::to_string(s.width) + "x" + std::to_string(s.height) : "";
}

std::string ResultText(const PictureResult& r) {
  const std::string why = r.too_large_for_format ? "图片太大，超出格式的限制"
                          : r.outcome == PictureOutcome::kWriteFailed
                              ? msg::SaveProblem(r.write_problem)
                              : "";
  return std::string(LabelOf(r).text) + (why.empty() ? "" : "（" + why + "）");
}

bool NeedsALook(const PictureResult& r) {
  return r.outcome != PictureOutcome::kSkipped &&
         (r.outcome != PictureOutcome::kProcessed || r.over_limit || !r.left_out.empty());
}

bool Written(const PictureResult& r) {
  return r.outcome == PictureOutcome::kProcessed || r.outcome == PictureOutcome::kMarkFailed;
}

std::string ShownName(const std::string& raw) { return IsValidUtf8(raw) ? raw : GbkToUtf8(raw); }

std::string RunReportCsv(const std::vector<ReportRow>& rows) {
  std::string csv = "\xEF\xBB\xBF源图片,处理后的图片,原尺寸,处理后尺寸,字节数,品质,结果\r\n";
  for (const ReportRow& row : rows) {
    const PictureResult& r = row.result;
    std::string outputs;
    for (const std::string& o : r.outputs) outputs += (outputs.empty() ? "" : ";") + o;
    const bool written = Written(r);
    csv += Field(row.source) + "," + Field(outputs) + "," + SizeText(r.original) + "," +
           (written ? SizeText(r.size) : "") + "," + (written ? std::to_string(r.bytes) : "") +
           "," + (written && r.quality > 0 ? std::to_string(r.quality) : "") + "," + ResultText(r) +
           "\r\n";
  }
  return csv;
}

}  // namespace lumivane
