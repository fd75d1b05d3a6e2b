#include "ui/qt_window_port.h"

#include <QApplication>
#include <QProgressBar>
#include <algorithm>

#include "engine/run/messages.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/window_inputs.h"
#include "ui/window_thread.h"

namespace lumivane::ui {
void QtWindowPort::ShowMessage(const std::string& caption, const std::string& text,
                               MessageIcon icon) {
  OnWindowThread(&window_, [&] {
    const MainWindow::RunDialog open(window_);
    window_.seam().ShowMessage(&window_, caption, text, icon);
  });
}

void QtWindowPort::TellCancelled() {
  ShowMessage(msg::kNoticeCaption, msg::kCancelled, MessageIcon::kInformation);
}

bool QtWindowPort::AskYesNo(Question question, const std::string& caption,
                            const std::string& text) {
  return OnWindowThread(&window_, [&] {
    // The run is over: the question the user was asked about it goes.
    if (question == Question::kOpenTarget) window_.CloseHeldQuestion();
    const MainWindow::RunDialog open(window_);
    return window_.seam().AskYesNo(&window_, caption, text);
  });
}

void QtWindowPort::AppendLogLine(const std::string& line) {
  OnWindowThread(&window_, [&] { window_.AppendRunLogLine(line); });
}

void QtWindowPort::SetProgressRange(int maximum) {
  OnWindowThread(&window_, [&] {
    // A range of 0..0 would make the bar a busy indicator.
    window_.control_as<QProgressBar>(Control::ProgressBar)->setRange(0, std::max(maximum, 1));
  });
}

void QtWindowPort::SetProgressPosition(int position) {
  OnWindowThread(&window_, [&] {
    window_.control_as<QProgressBar>(Control::ProgressBar)->setValue(position);
  });
}

void QtWindowPort::SetPictureCount(int done, int total) {
  OnWindowThread(&window_, [&] { window_.ShowPictureCount(done, total); });
}

void QtWindowPort::WaitingForArrivals(const std::string&) {
  OnWindowThread(&window_, [&] { window_.ShowWaitingForArrivals(); });
}

}  // namespace lumivane::ui
