// The window port of the command line: messages and log lines go to
// standard error, with a progress bar on a terminal; the overwrite question
// is answered by --overwrite, or on the terminal.
#ifndef LUMIVANE_CLI_CLI_PORT_H_
#define LUMIVANE_CLI_CLI_PORT_H_

#include <chrono>
#include <cstdio>

#include "cli/cli_options.h"
#include "engine/run/window_port.h"

namespace lumivane::cli {

class CliPort : public WindowPort {
 public:
  // `skip_done`: the run already keeps the complete outputs, the hint
  // for existing ones does not offer it again.
  CliPort(OverwriteChoice overwrite, std::FILE* out, bool terminal, bool skip_done = false)
      : overwrite_(overwrite), out_(out), terminal_(terminal), skip_done_(skip_done) {}

  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(Question question, const std::string& caption, const std::string& text) override;
  void TellCancelled() override;
  void AppendLogLine(const std::string& line) override;
  void SetProgressRange(int) override;
  void SetProgressPosition(int) override {}
  void SetPictureCount(int done, int total) override;
  // The run is over: its progress line goes.
  void EndProgress() { ClearProgressLine(); }

 private:
  void ClearProgressLine();

  OverwriteChoice overwrite_;
  std::FILE* out_;
  bool terminal_;
  bool skip_done_;
  bool progress_shown_ = false;
  bool nobody_asked_ = false;  // the overwrite question had no one to answer it
  std::chrono::steady_clock::time_point started_;
};

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_CLI_PORT_H_
