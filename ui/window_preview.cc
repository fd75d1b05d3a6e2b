#include "ui/window_preview.h"

#include <QAction>
#include <QApplication>

#include "engine/run/messages.h"
#include "engine/run/preview.h"
#include "platform/file_system.h"
#include "platform/shell_open.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/window_inputs.h"
#include "ui/window_thread.h"

namespace lumivane::ui {

std::string ShowMadePreview(const PreviewShowers& showers, const std::string& file,
                            const std::string& title) {
  const int viewer = showers.viewer(file);
  if (platform::ShellOpened(viewer)) return "";
  if (viewer != platform::kShellNoAssociation) return msg::PreviewOpenFailed(file);
  const int browser = showers.browser(file);
  if (platform::ShellOpened(browser)) return "";
  const bool none =
      browser == platform::kShellNoAssociation || browser == platform::kShellFileNotFound;
  return none && showers.own_window(file, title) ? "" : msg::PreviewOpenFailedTwice(file);
}

struct WindowPreview::Job {
  ProcessingSettings settings;
  UserInputs inputs;
  ExtraOperations extras;
  std::optional<Field> refused;
  std::string not_shown;  // why the picture made could not be shown
};

// A preview cancelled meanwhile is not shown, and nothing is said of it.
constexpr int kLeftUnshown = platform::kShellOpenOk;

WindowPreview::WindowPreview(MainWindow& window, ProcessingSettings& settings,
                             std::string temp_folder)
    : window_(window), settings_(settings), temp_folder_(std::move(temp_folder)) {}

// The preview reaches the window through its port: it ends before the
// window goes.
WindowPreview::~WindowPreview() { CancelAndWait(); }

PreviewShowers WindowPreview::ShowersHere() {
  auto opener = [this](int (UiSeam::*open)(const std::string&)) {
    return [this, open](const std::string& file) {
      return OnWindowThread(
          &window_, [&] { return cancelled_ ? kLeftUnshown : (window_.seam().*open)(file); });
    };
  };
  return {
      opener(&UiSeam::OpenWithDesktop),
      opener(&UiSeam::OpenInBrowser),
      [this](const std::string& file, const std::string& title) {
        // Read for the screen on the preview's thread, shown on the
        // window's: a long page never holds the window up.
        const QSize room = OnWindowThread(&window_, [&] { return Room(); });
        const auto shown = ReadForScreen(file, room.width(), room.height());
        return shown && OnWindowThread(&window_, [&] { return cancelled_ || Show(*shown, title); });
      },
  };
}

void WindowPreview::Start(Control button) {
  if (going()) return;  // one preview at a time
  cancelled_ = false;
  const bool text = button == Control::TextPreviewButton;
  auto job = std::make_shared<Job>(
      Job{settings_, ReadInputs(window_), window_.extra_operations(), {}, {}});
  // Made off the window's thread, like a run: the window repaints and
  // answers meanwhile, its controls held as they were asked.
  held_.clear();
  for (int i = 0; i < kControlCount; ++i) {
    QWidget* w = window_.control(static_cast<Control>(i));
    held_.emplace_back(w, w->isEnabled());
    w->setEnabled(false);
  }
  window_.more_options_action()->setEnabled(false);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  thread_ = std::thread([this, job, text] {
    WindowPort& port = window_.port();
    const PreviewOutcome made =
        text ? PreviewTextWatermark(port, job->settings, job->inputs, job->extras, temp_folder_)
             : PreviewPictureWatermark(port, job->settings, job->inputs, job->extras, temp_folder_);
    job->refused = made.refused;
    if (!made.made.empty()) job->not_shown = ShowMadePreview(ShowersHere(), made.made, made.title);
    QMetaObject::invokeMethod(
        &window_, [this, job] { End(*job); }, Qt::QueuedConnection);
  });
}

void WindowPreview::End(const Job& job) {
  if (thread_.joinable()) thread_.join();
  QApplication::restoreOverrideCursor();
  for (const auto& [w, enabled] : held_) w->setEnabled(enabled);
  held_.clear();
  window_.more_options_action()->setEnabled(true);
  cancelled_ = false;
  // The values its checks took, as before (the controls were held).
  settings_ = job.settings;
  if (job.refused) window_.control(ControlFor(*job.refused))->setFocus();
  if (!job.not_shown.empty()) {
    window_.seam().ShowMessage(&window_, msg::kNoticeCaption, job.not_shown, MessageIcon::kError);
  }
}

void WindowPreview::CancelAndWait() {
  if (going()) cancelled_ = true;
  while (going()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

PreviewWindow& WindowPreview::OwnWindow() {
  if (own_window_ == nullptr) own_window_ = new PreviewWindow(&window_);
  return *own_window_;
}

QSize WindowPreview::Room() { return OwnWindow().PictureRoom(); }

bool WindowPreview::Show(const std::string& path, const std::string& title) {
  return OwnWindow().Show(path, title);
}

bool WindowPreview::Show(const ScreenPicture& shown, const std::string& title) {
  return OwnWindow().Show(shown, title);
}

}  // namespace lumivane::ui
