#include "cli/guide.h"

#include <sstream>

#include "text/text_helpers.h"

namespace lumivane::cli {
namespace {

constexpr char kSection[] = "## 如何使用";

// The text for HTML, `code` in <code>.
std::string Inline(const std::string& text) {
  std::string out;
  bool code = false;
  size_t start = 0;
  for (size_t tick; (tick = text.find('`', start)) != std::string::npos; start = tick + 1) {
    out += HtmlEscaped(std::string_view(text).substr(start, tick - start));
    out += code ? "</code>" : "<code>";
    code = !code;
  }
  out += HtmlEscaped(std::string_view(text).substr(start));
  return code ? out + "</code>" : out;
}

bool IsNumbered(const std::string& line) {
  const size_t dot = line.find(". ");
  return dot != std::string::npos && dot > 0 && line.find_first_not_of("0123456789") == dot;
}

}  // namespace

std::string GuideHtml(const std::string& readme) {
  const size_t start = readme.find(std::string(kSection) + "\n");
  if (start == std::string::npos) return "";
  std::istringstream lines(readme.substr(start));
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
      "<title>Lumivane 如何使用</title></head><body>\n";
  std::string open;  // the block being written: "p", "ol", "ul" or ""
  auto close = [&] {
    if (open == "p") html += "</p>\n";
    if (open == "ol" || open == "ul") html += "</li></" + open + ">\n";
    open.clear();
  };
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (!first && line.rfind("## ", 0) == 0) break;  // the next section
    first = false;
    const std::string text = TrimSpaces(line);
    if (text.empty()) {
      close();
    } else if (text.rfind("### ", 0) == 0 || text.rfind("## ", 0) == 0) {
      close();
      const bool minor = text[2] == '#';
      const std::string tag = minor ? "h2" : "h1";
      html += "<" + tag + ">" + Inline(text.substr(minor ? 4 : 3)) + "</" + tag + ">\n";
    } else if (IsNumbered(text) || text.rfind("- ", 0) == 0) {
      const std::string list = text[0] == '-' ? "ul" : "ol";
      if (open != list) {
        close();
        html += "<" + list + "><li>";
        open = list;
      } else {
        html += "</li><li>";
      }
      html += Inline(text.substr(text.find(' ') + 1));
    } else if (open.empty()) {
      html += "<p>" + Inline(text);
      open = "p";
    } else {
      html += Inline(text);  // a line going on: Chinese needs no space
    }
  }
  close();
  return html + "</body></html>\n";
}

}  // namespace lumivane::cli
