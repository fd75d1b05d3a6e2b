#include "cli/manual.h"

#include <sstream>
#include <vector>

#include "cli/cli_options.h"
#include "engine/picture/operation_table.h"
#include "settings/options_file.h"
#include "settings/presets_file.h"
#include "settings/settings_file.h"
#include "text/text_helpers.h"

namespace lumivane::cli {
namespace {

constexpr char kDate[] = "December 2026";

// Text as roff shows it: a backslash and a hyphen literally, and no line
// taken for a request.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

// An option's line of --help: the option and its argument, then its text
// after a gap of two spaces or more.
std::string OptionEntry(const std::string& line) {
  const std::string text = TrimSpaces(line);
  const size_t gap = text.find("  ");
  const std::string head = text.substr(0, gap);
  std::string entry = ".TP\n\\fB" + Roff(head) + "\\fR\n";
  if (gap != std::string::npos) entry += Roff(TrimSpaces(text.substr(gap))) + "\n";
  return entry;
}

}  // namespace

std::string BatchManual() {
  std::istringstream usage(Usage());
  std::vector<std::string> lines;
  for (std::string line; std::getline(usage, line);) lines.push_back(line);
  std::string page = std::string(".TH LUMIVANE-BATCH 1 \"") + kDate +
                     "\" \"Lumivane\" \"User Commands\"\n"
                     ".SH NAME\nlumivane-batch \\- process a folder of pictures from the command "
                     "line\n.SH SYNOPSIS\n";
  size_t i = 0;
  // "usage: ..." and the paragraph under it.
  page += Roff(lines[i++].substr(std::string("usage: ").size())) + "\n.SH DESCRIPTION\n";
  for (++i; i < lines.size() && !lines[i].empty(); ++i) page += Roff(lines[i]) + "\n";
  page += ".SH OPTIONS\n";
  std::string exit_status;
  for (; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    if (line.rfind("Exit codes: ", 0) == 0) {
      for (exit_status = line.substr(12); i + 1 < lines.size() && !lines[i + 1].empty(); ++i) {
        exit_status += "\n" + lines[i + 1];
      }
    } else if (line.rfind("  --", 0) == 0) {
      page += OptionEntry(line);
    } else if (line[0] == ' ') {
      page += Roff(TrimSpaces(line)) + "\n";  // the option's text goes on
    } else {
      page += ".SS " + Roff(line.substr(0, line.find_last_not_of(':') + 1)) + "\n";
    }
  }
  std::string status;
  std::istringstream exits(exit_status);
  for (std::string line; std::getline(exits, line);) status += Roff(line) + "\n";
  return page + ".SH EXIT STATUS\n" + status + ".SH SEE ALSO\n.BR lumivane (1)\n";
}

std::string WindowManual() {
  std::string keys;
  for (const OperationField& f : OperationFields()) {
    keys += ".TP\n.B " + Roff(f.key) + "\n" + Roff(f.label) + "\n";
    if (f.colour != nullptr) {
      keys += ".TP\n.B " + Roff(std::string(f.key) + "_colour") + "\nits colour, #rrggbb\n";
    }
  }
  return std::string(".TH LUMIVANE 1 \"") + kDate +
         "\" \"Lumivane\" \"User Commands\"\n"
         ".SH NAME\nlumivane \\- batch picture processor for online sellers\n"
         ".SH SYNOPSIS\n.B lumivane\n.SH DESCRIPTION\n.B lumivane\n"
         "opens a window in which a source folder is chosen; every JPG, JPEG, PNG and\n"
         "BMP picture in it (and below it, on request) is shrunk to a width, given a\n"
         "quality, turned, marked with a text and/or a watermark picture at one of\n"
         "nine places, given the marketplace operations of the \\(lqmore options\\(rq\n"
         "dialog, and written into a target folder that mirrors the source tree.\n"
         "The originals are never changed.\n.PP\n"
         "The program keeps its files in its program folder: the current folder\n"
         "when that holds them, else \\fI$XDG_DATA_HOME/lumivane\\fR\n"
         "(\\fI~/.local/share/lumivane\\fR), which is made on the first start.\n"
         ".SH FILES\n.TP\n.I " +
         kSettingsFileName + "\nthe settings of the window, GBK text\n.TP\n.I " + kOptionsFileName +
         "\nthe operations of the more options dialog, a line each, GBK text; its keys:\n"
         ".RS\n" +
         keys + ".RE\n.TP\n.I " + kPresetsFileName +
         "\nthe presets saved in the dialog: a [name] line, the width and the\n"
         "operations' lines, as in " +
         kOptionsFileName +
         "\n.TP\n.I res.dat\nthe announcement list\n.TP\n.I images/sy.png\n"
         "the default watermark picture\n.SH SEE ALSO\n.BR lumivane-batch (1)\n";
}

}  // namespace lumivane::cli
