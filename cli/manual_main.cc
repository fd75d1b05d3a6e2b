// lumivane-manual: writes a manual page at build time ("batch" or
// "window"), so the pages say what the programs do, or the user's guide
// from the README ("guide README.md").
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/guide.h"
#include "cli/manual.h"

int main(int argc, char** argv) {
  const std::string which = argc >= 2 ? argv[1] : "";
  std::string page;
  if (which == "guide" && argc == 3) {
    std::ifstream readme(argv[2], std::ios::binary);
    std::ostringstream text;
    text << readme.rdbuf();
    page = lumivane::cli::GuideHtml(text.str());
  } else if (argc == 2 && (which == "batch" || which == "window")) {
    page = which == "batch" ? lumivane::cli::BatchManual() : lumivane::cli::WindowManual();
  }
  if (page.empty()) {
    std::fputs("usage: lumivane-manual batch|window|guide README.md\n", stderr);
    return 2;
  }
  return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() ? 0 : 1;
}
