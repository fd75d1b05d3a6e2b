// The run's report, "处理报告.csv" in the target folder: a row per source
// picture, for a spreadsheet (UTF-8 with a byte-order mark).
#ifndef LUMIVANE_ENGINE_RUN_RUN_REPORT_H_
#define LUMIVANE_ENGINE_RUN_RUN_REPORT_H_

#include <string>
#include <vector>

#include "engine/picture/picture_ops.h"

namespace lumivane {

inline constexpr char kRunReportFile[] = "处理报告.csv";

struct ReportRow {
  std::string source;
  PictureResult result;
};

// The whole file: a header line, then one line per row, CR LF between them.
std::string RunReportCsv(const std::vector<ReportRow>& rows);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RUN_REPORT_H_
