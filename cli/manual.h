// The two manual pages, made at build time from what the programs say of
// themselves: lumivane-batch(1) from its --help text (which holds the
// operation table's options), lumivane(1)'s files from the table's keys.
#ifndef LUMIVANE_CLI_MANUAL_H_
#define LUMIVANE_CLI_MANUAL_H_

#include <string>

namespace lumivane::cli {

std::string BatchManual();
std::string WindowManual();

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_MANUAL_H_
