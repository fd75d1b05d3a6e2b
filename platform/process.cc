#include "platform/process.h"

#include <unistd.h>

#include <cstdio>

namespace lumivane::platform {

bool AnswersFromATerminal() { return isatty(STDERR_FILENO) && isatty(STDIN_FILENO); }

void EndProcessNow(int code) {
  std::fflush(nullptr);
  _exit(code);
}

}  // namespace lumivane::platform
