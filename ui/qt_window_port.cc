#include "ui/qt_window_port.h"

#include <QApplication>
#include <QProgressBar>
#include <algorithm>

#include "engine/picture/screen_picture.h"
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

bool QtWindowPort::ShowPicture(const std::string& path, const std::string& title) {
  // Read for the screen on the caller's thread (the preview's), shown on
  // the window's: a long page never holds the window up.
  const QSize room = OnWindowThread(&window_, [&] { return window_.PreviewRoom(); });
  const auto shown = ReadForScreen(path, room.width(), room.height());
  if (!shown) return false;
  return OnWindowThread(
      &window_, [&] { return window_.PreviewCancelled() || window_.ShowPreview(*shown, title); });
}

// A preview cancelled meanwhile is not opened, and nothing is said of it.
constexpr int kLeftUnopened = 33;

int QtWindowPort::OpenWithDesktop(const std::string& path) {
  return OnWindowThread(&window_, [&] {
    return window_.PreviewCancelled() ? kLeftUnopened : window_.seam().OpenWithDesktop(path);
  });
}

int QtWindowPort::OpenInBrowser(const std::string& path) {
  return OnWindowThread(&window_, [&] {
    return window_.PreviewCancelled() ? kLeftUnopened : window_.seam().OpenInBrowser(path);
  });
}

}  // namespace lumivane::ui
