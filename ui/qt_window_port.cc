#include "ui/qt_window_port.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QThread>
#include <algorithm>
#include <type_traits>

#include "engine/messages.h"
#include "ui/log_window.h"
#include "ui/main_window.h"

namespace lumivane::ui {
namespace {

// Runs `f` on the window's thread and waits for it; directly when already there.
template <typename F>
auto OnWindowThread(QObject* context, F f) -> decltype(f()) {
  if (QThread::currentThread() == context->thread()) return f();
  if constexpr (std::is_void_v<decltype(f())>) {
    QMetaObject::invokeMethod(context, f, Qt::BlockingQueuedConnection);
  } else {
    decltype(f()) result{};
    QMetaObject::invokeMethod(
        context, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

std::string TextOf(QWidget* w) {
  QString text;
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    text = edit->text();
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    text = button->text();
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    text = label->text();
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    text = combo->currentText();
  }
  return text.toStdString();
}

}  // namespace

std::string QtWindowPort::ControlText(Control c) {
  return OnWindowThread(&window_, [&] { return TextOf(window_.control(c)); });
}

bool QtWindowPort::IsChecked(Control c) {
  return OnWindowThread(&window_, [&] {
    auto* button = qobject_cast<QAbstractButton*>(window_.control(c));
    return button != nullptr && button->isChecked();
  });
}

int QtWindowPort::Selection(Control c) {
  return OnWindowThread(&window_, [&] {
    auto* combo = qobject_cast<QComboBox*>(window_.control(c));
    return combo ? combo->currentIndex() : -1;
  });
}

void QtWindowPort::EnableControl(Control c, bool enabled) {
  OnWindowThread(&window_, [&] { window_.control(c)->setEnabled(enabled); });
}

void QtWindowPort::ShowMessage(const std::string& caption, const std::string& text,
                               MessageIcon icon) {
  OnWindowThread(&window_, [&] {
    QElapsedTimer open;
    open.start();
    window_.seam().ShowMessage(&window_, caption, text, icon);
    window_.LeaveOutOfRunClock(open.elapsed());
  });
}

void QtWindowPort::TellCancelled() {
  ShowMessage(msg::kNoticeCaption, msg::kCancelled, MessageIcon::kInformation);
}

bool QtWindowPort::AskYesNo(Question, const std::string& caption, const std::string& text) {
  return OnWindowThread(&window_, [&] {
    QElapsedTimer open;
    open.start();
    const bool yes = window_.seam().AskYesNo(&window_, caption, text);
    window_.LeaveOutOfRunClock(open.elapsed());
    return yes;
  });
}

void QtWindowPort::AppendLogLine(const std::string& line) {
  OnWindowThread(&window_, [&] { window_.log_window().AppendLine(line); });
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

void QtWindowPort::RequestFocus(Control c) {
  OnWindowThread(&window_, [&] { window_.control(c)->setFocus(); });
}

void QtWindowPort::UnlockAfterRun() {
  OnWindowThread(&window_, [&] { window_.UnlockAfterRun(); });
}

int QtWindowPort::OpenWithDesktop(const std::string& path) {
  return OnWindowThread(&window_, [&] { return window_.seam().OpenWithDesktop(path); });
}

int QtWindowPort::OpenInBrowser(const std::string& path) {
  return OnWindowThread(&window_, [&] { return window_.seam().OpenInBrowser(path); });
}

}  // namespace lumivane::ui
