// The process's own ends: its terminal and its exit, where they depend on
// the operating system.
#ifndef LUMIVANE_PLATFORM_PROCESS_H_
#define LUMIVANE_PLATFORM_PROCESS_H_

#include <string>
#include <vector>

namespace lumivane::platform {

// True when a person at a terminal can read the questions (standard error)
// and answer them (standard input).
bool AnswersFromATerminal();

// Ends the process at once with `code`, its output flushed, running no
// destructors (threads may still hold the imaging library).
[[noreturn]] void EndProcessNow(int code);

// The program's arguments after its name, in UTF-8 whatever the system's
// local code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Lets a console show the UTF-8 the program writes (a terminal here does),
// its lines ending as written.
void UseUtf8Console();

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_PROCESS_H_
