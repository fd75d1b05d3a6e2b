// The window port as the main window carries it out: every call from the
// batch worker's thread runs on the window's thread while the worker waits.
#ifndef LUMIVANE_UI_QT_WINDOW_PORT_H_
#define LUMIVANE_UI_QT_WINDOW_PORT_H_

#include "engine/run/window_port.h"

namespace lumivane::ui {

class MainWindow;

class QtWindowPort : public WindowPort {
 public:
  explicit QtWindowPort(MainWindow& window) : window_(window) {}

  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(Question question, const std::string& caption, const std::string& text) override;
  void TellCancelled() override;
  void AppendLogLine(const std::string& line) override;
  void SetProgressRange(int maximum) override;
  void SetProgressPosition(int position) override;
  void SetPictureCount(int done, int total) override;
  void WaitingForArrivals(const std::string& source) override;

 private:
  MainWindow& window_;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_QT_WINDOW_PORT_H_
