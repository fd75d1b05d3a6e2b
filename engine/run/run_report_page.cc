// "处理报告.html": plain markup, no script, so that it opens at once and
// anything a file name holds is only ever text. The views are the outputs
// themselves, loaded as they scroll into sight.
#include <algorithm>
#include <string_view>

#include "engine/run/run_report.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// A path as an address relative to the page: every byte but letters,
// digits, "-._~" and "/" written as %XX, so any name stays one address.
std::string Address(const std::string& path, const std::string& target) {
  std::string_view below = path;
  std::string out;
  if (below.size() > target.size() + 1 && below.substr(0, target.size()) == target &&
      below[target.size()] == platform::kPathSeparator) {
    below.remove_prefix(target.size() + 1);
  } else {
    out = "file://";  // not below the page's folder (never so for a run's outputs)
  }
  constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : below) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain || std::string_view("-._~").find(static_cast<char>(c)) != std::string_view::npos) {
      out += static_cast<char>(c);
    } else if (c == platform::kPathSeparator) {
      out += '/';  // a folder of the address; any other character is part of a name
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Row(const ReportRow& row, const std::string& target) {
  const PictureResult& r = row.result;
  const bool written = Written(r);
  std::string html = NeedsALook(r) ? "<tr class=\"look\"><td>" : "<tr><td>";
  if (written && !r.outputs.empty()) {
    html += "<img loading=\"lazy\" decoding=\"async\" alt=\"\" src=\"" +
            Address(r.outputs.front(), target) + "\"/>";
  }
  html += "</td><td>" + HtmlEscaped(ShownName(row.source)) + "</td><td>";
  if (written) {
    for (size_t i = 0; i < r.outputs.size(); ++i) {
      const std::string& output = r.outputs[i];
      html += (i > 0 ? "<br/><a href=\"" : "<a href=\"") + Address(output, target) + "\">" +
              HtmlEscaped(ShownName(std::string(platform::LastName(output)))) + "</a>";
    }
  }
  html += "</td><td>" + SizeText(r.original);
  if (written) html += " → " + SizeText(r.size);
  html += "</td><td>" + (written ? std::to_string(r.bytes) : "") + "</td><td>" +
          HtmlEscaped(ResultText(r)) + "</td><td>";
  for (size_t i = 0; i < row.told.size(); ++i) {
    html += (i > 0 ? "<br/>" : "") + HtmlEscaped(ShownName(row.told[i]));
  }
  return html + "</td></tr>\n";
}

}  // namespace

std::string RunReportHtml(const std::vector<ReportRow>& rows, const std::string& target,
                          const std::string& operations) {
  const auto looks = std::count_if(rows.begin(), rows.end(),
                                   [](const ReportRow& row) { return NeedsALook(row.result); });
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      "<title>处理报告</title>\n<style>\n"
      "body{font:14px sans-serif;margin:16px}\n"
      "table{border-collapse:collapse;width:100%}\n"
      "th,td{border-bottom:1px solid #ddd;padding:4px 8px;text-align:left;overflow-wrap:anywhere}\n"
      "img{display:block;width:96px;height:96px;object-fit:contain;background:#f4f4f4}\n"
      "tr.look td{background:#fff1f0}\n"
      "</style>\n</head>\n<body>\n<h1>处理报告</h1>\n<p>" +
      std::to_string(rows.size()) + " 个图片，其中 " + std::to_string(looks) +
      " 个没有按要求处理完（排在最前）。</p>\n";
  if (!operations.empty()) html += "<p>" + HtmlEscaped(operations) + "</p>\n";
  html += "<table>\n<thead><tr>";
  for (const char* head : {"预览", "源图片", "处理后的图片", "尺寸", "字节数", "结果", "说明"}) {
    html += std::string("<th>") + head + "</th>";
  }
  html += "</tr></thead>\n<tbody>\n";
  std::vector<const ReportRow*> order;
  order.reserve(rows.size());
  for (const ReportRow& row : rows) order.push_back(&row);
  std::stable_partition(order.begin(), order.end(),
                        [](const ReportRow* row) { return NeedsALook(row->result); });
  for (const ReportRow* row : order) html += Row(*row, target);
  return html + "</tbody>\n</table>\n</body>\n</html>\n";
}

}  // namespace lumivane
