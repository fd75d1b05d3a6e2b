// lumivane-batch: the batch run without a window.
#include <unistd.h>

#include <cstdio>

#include "cli/cli_options.h"
#include "cli/cli_port.h"
#include "engine/batch_run.h"
#include "settings/settings_file.h"

int main(int argc, char** argv) {
  using namespace lumivane;
  std::string error;
  auto options = cli::ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "lumivane-batch: %s\n\n%s", error.c_str(), cli::kUsage);
    return 2;
  }
  if (options->help) {
    std::fputs(cli::kUsage, stdout);
    return 0;
  }
  ProcessingSettings settings;
  LoadSettings(settings);
  cli::CliPort port(*options, settings, stderr, isatty(STDERR_FILENO) && isatty(STDIN_FILENO));
  BatchOptions batch;
  batch.workers = options->workers;
  const BatchSummary summary = BatchWorker(port, settings, batch);
  if (!summary.checks_passed || summary.cancelled) return 1;
  return summary.failed > 0 ? 3 : 0;
}
