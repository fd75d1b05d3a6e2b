// The command line of lumivane-batch.
#ifndef LUMIVANE_CLI_CLI_OPTIONS_H_
#define LUMIVANE_CLI_CLI_OPTIONS_H_

#include <optional>
#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/processing_settings.h"

namespace lumivane::cli {

enum class OverwriteChoice { kAsk, kYes, kNo };

struct CliOptions {
  std::string source;
  std::string target;
  std::optional<std::string> width;  // as typed: the run's checks decide
  // The positions of the window's choice boxes that offer the values given.
  std::optional<int> quality;
  std::optional<int> rotation;
  bool subfolders = false;
  std::optional<std::string> text;
  std::optional<std::string> font;
  std::optional<int> font_size;
  std::optional<std::string> color;  // #rrggbb
  std::optional<bool> bold;
  std::optional<bool> italic;
  std::optional<int> opacity;                                       // a position, as the quality
  std::optional<std::pair<int, int>> text_position;                 // positions of the choice boxes
  std::optional<std::pair<std::string, std::string>> text_margins;  // as typed
  std::optional<std::string> image;
  std::optional<std::pair<int, int>> image_position;
  std::optional<std::pair<std::string, std::string>> image_margins;
  OverwriteChoice overwrite = OverwriteChoice::kAsk;
  int workers = 0;
  bool save_settings = false;  // store this run's settings into config.dat
  // Marketplace operations: a preset's, with each option given over it.
  std::optional<Preset> preset;
  ExtraOperations operations;                           // as the options give them
  std::vector<const OperationField*> operations_given;  // in the order given
  bool list_presets = false;
  // Job runners: this process's share, resuming, and a line per picture.
  int shard_index = 0;
  int shard_count = 1;
  bool skip_done = false;
  std::optional<std::string> manifest;  // a file, or "-" for standard output
  bool help = false;
};

// Parses the arguments (without the program name). On a bad option the
// result is empty and `error` says why.
// The operations the options ask for (the preset's, then each option).
ExtraOperations ExtraOperationsOf(const CliOptions& options);

// --preset finds the built-in presets and `user_presets`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error,
                                          const std::vector<Preset>& user_presets = {});

// The --help text.
std::string Usage();

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_CLI_OPTIONS_H_
