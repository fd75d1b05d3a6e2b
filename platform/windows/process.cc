#include "platform/process.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "platform/windows/wide_text.h"

namespace lumivane::platform {

bool AnswersFromATerminal() { return _isatty(_fileno(stderr)) && _isatty(_fileno(stdin)); }

void EndProcessNow(int code) {
  std::fflush(nullptr);
  _exit(code);
}

std::vector<std::string> ProgramArguments(int, char**) {
  // The system's own wide arguments: argv holds them in the local code
  // page, where a Chinese name may not fit.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void UseUtf8Console() {
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
  // Lines end as the program writes them, as on every system: a file or a
  // pipe the output goes to reads the same everywhere.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace lumivane::platform
