// The command line of lumivane-batch.
#ifndef LUMIVANE_CLI_CLI_OPTIONS_H_
#define LUMIVANE_CLI_CLI_OPTIONS_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/basic_rows.h"

namespace lumivane::cli {

enum class OverwriteChoice { kAsk, kYes, kNo };

struct CliOptions {
  std::string source;
  std::string target;
  bool subfolders = false;
  // The window's own operations given, each with its value, in order.
  std::vector<std::pair<const BasicRow*, std::string>> basic;
  OverwriteChoice overwrite = OverwriteChoice::kAsk;
  int workers = 0;
  bool save_settings = false;  // store this run's settings into config.dat
  // Marketplace operations: a preset's, with each option given over it.
  std::optional<Preset> preset;
  std::vector<Preset> outputs;                          // several presets made at once
  ExtraOperations operations;                           // as the options give them
  std::vector<const OperationField*> operations_given;  // in the order given
  bool list_presets = false;
  // Job runners: this process's share, resuming, and a line per picture.
  int shard_index = 0;
  int shard_count = 1;
  bool skip_done = false;
  bool watch = false;  // then every picture that arrives or changes, until interrupted
  std::optional<std::string> manifest;  // a file, or "-" for standard output
  bool help = false;

  // Whether "--<option>" of the window's operations was given.
  bool Gave(std::string_view option) const;
};

// Parses the arguments (without the program name). On a bad option the
// result is empty and `error` says why.
// The operations the options ask for (the preset's, then each option).
ExtraOperations ExtraOperationsOf(const CliOptions& options);
// The same over `preset`'s instead of --preset's.
ExtraOperations ExtraOperationsOf(const CliOptions& options, const std::optional<Preset>& preset);

// --preset finds the built-in presets and `user_presets`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error,
                                          const std::vector<Preset>& user_presets = {});

// The --help text.
std::string Usage();

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_CLI_OPTIONS_H_
