// The run's report in the target folder: "处理报告.csv", a row per source
// picture for a spreadsheet (UTF-8 with a byte-order mark), and
// "处理报告.html", the same rows to look at, each with a small view of its
// output, the failed pictures first.
#ifndef LUMIVANE_ENGINE_RUN_RUN_REPORT_H_
#define LUMIVANE_ENGINE_RUN_RUN_REPORT_H_

#include <string>
#include <vector>

#include "engine/picture/picture_ops.h"

namespace lumivane {

inline constexpr char kRunReportFile[] = "处理报告.csv";
inline constexpr char kRunReportPage[] = "处理报告.html";

struct ReportRow {
  std::string source;
  PictureResult result;
  std::vector<std::string> told;  // what the log said of it
};

// The whole file: a header line, then one line per row, CR LF between them.
std::string RunReportCsv(const std::vector<ReportRow>& rows);

// The whole page, to be saved in `target` (the outputs are shown by their
// paths from there), with the run's `operations` at its head.
std::string RunReportHtml(const std::vector<ReportRow>& rows, const std::string& target,
                          const std::string& operations);

// A file name as the user reads it: a name in GBK decoded.
std::string ShownName(const std::string& raw);
// "640x480"; "" while not known.
std::string SizeText(const PictureSize& size);
// The result's text, with why a save failed where that is known.
std::string ResultText(const PictureResult& result);
// Not made as asked (failed, not reached, over its size cap, a page
// without some of its pictures): it needs the user's eyes first.
bool NeedsALook(const PictureResult& result);
// Whether the picture's outputs were written.
bool Written(const PictureResult& result);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RUN_REPORT_H_
