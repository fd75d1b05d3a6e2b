// lumivane-manual: writes a manual page at build time ("batch" or
// "window"), so the pages say what the programs do.
#include <cstdio>
#include <string>

#include "cli/manual.h"

int main(int argc, char** argv) {
  const std::string which = argc == 2 ? argv[1] : "";
  if (which != "batch" && which != "window") {
    std::fputs("usage: lumivane-manual batch|window\n", stderr);
    return 2;
  }
  const std::string page =
      which == "batch" ? lumivane::cli::BatchManual() : lumivane::cli::WindowManual();
  return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() ? 0 : 1;
}
