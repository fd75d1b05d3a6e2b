// The run the command line asks for, made from its options.
#ifndef LUMIVANE_CLI_CLI_REQUEST_H_
#define LUMIVANE_CLI_CLI_REQUEST_H_

#include "cli/cli_options.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/run_request.h"

namespace lumivane::cli {

// The inputs as the window shows `settings` after start-up, changed by the
// options; the font options change `settings` itself, which holds the
// font. Without --target, the source's default target folder.
RunRequest RequestFrom(const CliOptions& options, ProcessingSettings& settings);

// The option that gave the value of `field`; none when the value came
// from config.dat (a refusal of it is then the run's).
const char* OptionGiving(const CliOptions& options, Field field);

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_CLI_REQUEST_H_
