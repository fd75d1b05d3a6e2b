// The window port of the command line: the controls' values come from the
// arguments and config.dat; messages and log lines go to standard error,
// with a progress bar on a terminal.
#ifndef LUMIVANE_CLI_CLI_PORT_H_
#define LUMIVANE_CLI_CLI_PORT_H_

#include <chrono>
#include <cstdio>
#include <map>

#include "cli/cli_options.h"
#include "engine/processing_settings.h"
#include "engine/window_port.h"

namespace lumivane::cli {

class CliPort : public WindowPort {
 public:
  // Fills the controls as the window shows `settings` after start-up,
  // then applies the options (which may also change the font in `settings`).
  CliPort(const CliOptions& options, ProcessingSettings& settings, std::FILE* out, bool terminal);

  std::string ControlText(Control c) override;
  bool IsChecked(Control c) override;
  int Selection(Control c) override;
  void EnableControl(Control, bool) override {}
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(Question question, const std::string& caption, const std::string& text) override;
  void TellCancelled() override;
  void AppendLogLine(const std::string& line) override;
  void SetProgressRange(int) override;
  void SetProgressPosition(int) override {}
  void SetPictureCount(int done, int total) override;
  void RequestFocus(Control) override {}
  void UnlockAfterRun() override;
  int OpenWithDesktop(const std::string&) override { return 42; }
  int OpenInBrowser(const std::string&) override { return 42; }

 private:
  void ClearProgressLine();

  OverwriteChoice overwrite_;
  std::FILE* out_;
  bool terminal_;
  std::map<Control, std::string> text_;
  std::map<Control, bool> checked_;
  std::map<Control, int> selection_;
  bool progress_shown_ = false;
  bool nobody_asked_ = false;  // the overwrite question had no one to answer it
  std::chrono::steady_clock::time_point started_;
};

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_CLI_PORT_H_
