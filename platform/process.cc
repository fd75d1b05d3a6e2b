#include "platform/process.h"

#include <unistd.h>

#include <cstdio>

namespace lumivane::platform {

bool AnswersFromATerminal() { return isatty(STDERR_FILENO) && isatty(STDIN_FILENO); }

void EndProcessNow(int code) {
  std::fflush(nullptr);
  _exit(code);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

void UseUtf8Console() {}

}  // namespace lumivane::platform
