// lumivane-batch: the batch run without a window.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "cli/cli_options.h"
#include "cli/cli_port.h"
#include "cli/cli_request.h"
#include "cli/manifest.h"
#include "engine/run/batch_run.h"
#include "engine/run/folder_watch.h"
#include "engine/run/input_checks.h"
#include "engine/run/messages.h"
#include "platform/append_file.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "settings/presets_file.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"

namespace {

// 128 + SIGPIPE, as a shell reports a process that a closed pipe ended.
constexpr int kBrokenPipeExit = 141;

// The exit codes --help lists: 1 refused, 3 something could not be read
// or written (a picture, a folder, the manifest, the report).
constexpr int kSomeFailed = 3;

int ExitCode(const lumivane::RunOutcome& summary, bool manifest_failed) {
  using lumivane::RunEnd;
  if (summary.end == RunEnd::kRefused || summary.end == RunEnd::kCancelled) return 1;
  return summary.Complete() && !manifest_failed ? 0 : kSomeFailed;
}

// Interrupted, the run finishes the pictures in hand and writes its report
// and manifest lines for every picture; a second signal ends it at once.
// The flag the run watches; `signal` is set to the first signal's number.
std::shared_ptr<std::atomic<bool>> StopOnInterrupt(std::atomic<int>& signal) {
  auto stop = std::make_shared<std::atomic<bool>>(false);
  lumivane::platform::RemoveTemporariesOnInterrupt([stop, &signal](int number) {
    signal = number;
    *stop = true;
    std::fputs("lumivane-batch: stopping after the pictures in hand (again: at once)\n", stderr);
  });
  return stop;
}

void ListPresets(const std::vector<lumivane::Preset>& user_presets) {
  using lumivane::Preset;
  using lumivane::Presets;
  for (const Preset& p : Presets()) {
    std::printf("%-8s %s\n", p.id.c_str(), p.name.c_str());
  }
  for (const Preset& p : user_presets) {
    // One named like a built-in (saved before that was refused) is never
    // the one --preset takes.
    const bool shadowed = std::any_of(Presets().begin(), Presets().end(), [&](const Preset& b) {
      return p.name == b.name || p.name == b.id || p.name == b.short_name;
    });
    std::printf("%-8s %s%s\n", "", p.name.c_str(),
                shadowed ? "（与内置预设同名，--preset 用内置的）" : "");
  }
}

// Adds each picture's line to the manifest; a line that cannot be written
// is logged once and sets `failed`, and a reader that went away ends the
// run as an interrupt would.
std::function<void(const std::string&, const lumivane::PictureResult&)> ManifestWriter(
    lumivane::platform::AppendFile& manifest, bool usable, const std::string& name,
    lumivane::cli::CliPort& port, bool& failed) {
  using namespace lumivane;
  return [&, usable, name](const std::string& source, const PictureResult& result) {
    if (failed) return;
    if (usable && manifest.Append(cli::ManifestLine(source, result))) return;
    if (usable && errno == EPIPE) {
      std::fputs("lumivane-batch: the manifest's reader closed the pipe\n", stderr);
      platform::RemovePendingTemporariesAndExit(kBrokenPipeExit);
    }
    port.AppendLogLine(msg::SaveError(name, platform::LastWriteProblem()));
    failed = true;
  };
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lumivane;
  platform::UseUtf8Console();
  std::string error;
  // The window's settings and presets, where it keeps them.
  const std::string folder = FindProgramFolder(platform::CurrentDirectory());
  const std::vector<Preset> user_presets = LoadUserPresets(folder);
  auto options = cli::ParseCliOptions(platform::ProgramArguments(argc, argv), error, user_presets);
  if (!options) {
    std::fprintf(stderr, "lumivane-batch: %s\nlumivane-batch --help lists every option.\n",
                 error.c_str());
    return 2;
  }
  if (options->help || options->list_presets) {
    if (options->help) std::fputs(cli::Usage().c_str(), stdout);
    if (!options->help) ListPresets(user_presets);
    return 0;
  }
  std::atomic<int> interrupted = 0;
  const auto stop = StopOnInterrupt(interrupted);
  const bool stdout_closed = platform::ReserveIfClosed(stdout);
  platform::ReserveIfClosed(stderr);
  ProcessingSettings settings;
  // A default config.dat is written only when asked to save settings.
  if (!LoadSettings(folder, settings, options->save_settings)) {
    // What the options leave open would come from a record that holds nothing.
    std::fprintf(stderr, "%s: %s\n", msg::kNoticeCaption, msg::kCannotReadSettings);
    return 1;
  }
  cli::CliPort port(options->overwrite, stderr, platform::AnswersFromATerminal(),
                    options->skip_done);
  RunRequest batch = cli::RequestFrom(*options, settings);
  // A value given on the command line that the run would refuse is a wrong
  // command line, told in the run's words.
  if (const auto refused = RefusedValue(batch.inputs)) {
    if (const char* option = cli::OptionGiving(*options, refused->field)) {
      std::fprintf(stderr, "lumivane-batch: --%s: %s\n", option, refused->message.c_str());
      return 2;
    }
  }
  batch.stop = stop;
  std::optional<platform::AppendFile> manifest =
      options->manifest ? platform::AppendFile::Open(*options->manifest) : std::nullopt;
  bool manifest_failed = false;
  if (options->manifest) {
    if (!manifest) {
      std::fprintf(stderr, "lumivane-batch: cannot open the manifest %s: %s\n",
                   options->manifest->c_str(), std::strerror(errno));
      return kSomeFailed;
    }
    const bool usable = !(stdout_closed && *options->manifest == "-");
    batch.on_picture = ManifestWriter(*manifest, usable, *options->manifest, port, manifest_failed);
  }
  RunOutcome summary = BatchWorker(port, settings, batch);
  port.EndProgress();
  if (options->watch && interrupted == 0 && summary.end == RunEnd::kFinished) {
    std::fprintf(stderr, "lumivane-batch: watching %s (Ctrl+C ends)\n",
                 batch.inputs.source.c_str());
    // Each round's progress line ends before the next round's log.
    cli::CliPort rounds(cli::OverwriteChoice::kYes, stderr, platform::AnswersFromATerminal(), true);
    summary = WatchRounds(rounds, batch, settings, summary, [&rounds] { rounds.EndProgress(); });
  }
  // Kept once the checks have passed, whatever the run then met.
  if (options->save_settings && summary.checked) SaveSettings(folder, *summary.checked);
  if (interrupted != 0) return 128 + interrupted;
  return ExitCode(summary, manifest_failed);
}
