// The command line's own options (the folders, the run and the job
// runner), each described once: its name, its argument, its --help text and
// how its value is taken. The parser and --help are built from this list;
// the window's operations and the marketplace operations come from the
// engine's tables.
#ifndef LUMIVANE_CLI_OPTION_TABLE_H_
#define LUMIVANE_CLI_OPTION_TABLE_H_

#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace lumivane::cli {

// Where an option is told in --help: the folders before the window's
// operations, the run's after them, after the marketplace operations with
// the presets, or with the job runner's.
enum class OptionGroup { kFolders, kRun, kPresets, kJobs };

struct CliOption {
  const char* name;      // "--width"
  const char* argument;  // "N"; nullptr for a switch
  OptionGroup group;
  // --help's text; nullptr for an option told on another's line.
  const char* usage;
  // Takes the value ("" for a switch): "" when fine, else what is wrong.
  std::string (*take)(const std::string& value, CliOptions& options,
                      const std::vector<Preset>& user_presets);
  // --help's head when it is not the name and the argument.
  const char* shown = nullptr;
};

// The option of that name ("-h" is --help); none for another.
const CliOption* FindCliOption(const std::string& name);

// The --help lines of one group, each option padded to `column`.
std::string CliOptionsUsage(OptionGroup group, size_t column);

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_OPTION_TABLE_H_
