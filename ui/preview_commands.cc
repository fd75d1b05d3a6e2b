// The window's previews: made off its thread, shown where this computer
// can show them.
#include <QApplication>

#include "engine/run/messages.h"
#include "engine/run/preview.h"
#include "platform/file_system.h"
#include "platform/shell_open.h"
#include "ui/main_window.h"
#include "ui/preview_showing.h"
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

struct MainWindow::PreviewJob {
  ProcessingSettings settings;
  UserInputs inputs;
  ExtraOperations extras;
  std::optional<Field> refused;
  std::string not_shown;  // why the picture made could not be shown
};

// A preview cancelled meanwhile is not shown, and nothing is said of it.
constexpr int kLeftUnshown = platform::kShellOpenOk;

PreviewShowers MainWindow::PreviewShowersHere() {
  auto opener = [this](int (UiSeam::*open)(const std::string&)) {
    return [this, open](const std::string& file) {
      return OnWindowThread(
          this, [&] { return preview_cancelled_ ? kLeftUnshown : (seam_.*open)(file); });
    };
  };
  return {
      opener(&UiSeam::OpenWithDesktop),
      opener(&UiSeam::OpenInBrowser),
      [this](const std::string& file, const std::string& title) {
        // Read for the screen on the preview's thread, shown on the
        // window's: a long page never holds the window up.
        const QSize room = OnWindowThread(this, [&] { return PreviewRoom(); });
        const auto shown = ReadForScreen(file, room.width(), room.height());
        return shown && OnWindowThread(
                            this, [&] { return preview_cancelled_ || ShowPreview(*shown, title); });
      },
  };
}

void MainWindow::PreviewCommand(Control button) {
  if (preview_.joinable()) return;  // one preview at a time
  preview_cancelled_ = false;
  const std::string folder = platform::JoinPath(program_folder_, "temp");
  const bool text = button == Control::TextPreviewButton;
  auto job =
      std::make_shared<PreviewJob>(PreviewJob{settings_, ReadInputs(*this), extras_, {}, {}});
  // Made off the window's thread, like a run: the window repaints and
  // answers meanwhile, its controls held as they were asked.
  held_for_preview_.clear();
  for (QWidget* w : controls_) {
    held_for_preview_.emplace_back(w, w->isEnabled());
    w->setEnabled(false);
  }
  more_options_action_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  preview_ = std::thread([this, job, text, folder] {
    const PreviewOutcome made =
        text ? PreviewTextWatermark(port(), job->settings, job->inputs, job->extras, folder)
             : PreviewPictureWatermark(port(), job->settings, job->inputs, job->extras, folder);
    job->refused = made.refused;
    if (!made.made.empty())
      job->not_shown = ShowMadePreview(PreviewShowersHere(), made.made, made.title);
    QMetaObject::invokeMethod(
        this, [this, job] { EndPreview(*job); }, Qt::QueuedConnection);
  });
}

void MainWindow::EndPreview(const PreviewJob& job) {
  if (preview_.joinable()) preview_.join();
  QApplication::restoreOverrideCursor();
  for (const auto& [w, enabled] : held_for_preview_) w->setEnabled(enabled);
  held_for_preview_.clear();
  more_options_action_->setEnabled(true);
  preview_cancelled_ = false;
  // The values its checks took, as before (the controls were held).
  settings_ = job.settings;
  if (job.refused) control(ControlFor(*job.refused))->setFocus();
  if (!job.not_shown.empty()) Message(job.not_shown, MessageIcon::kError);
}

void MainWindow::WaitForPreview() {
  if (preview_.joinable()) preview_cancelled_ = true;  // the window is going
  while (preview_.joinable()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

QSize MainWindow::PreviewRoom() {
  if (preview_window_ == nullptr) preview_window_ = new PreviewWindow(this);
  return preview_window_->PictureRoom();
}

bool MainWindow::ShowPreview(const std::string& path, const std::string& title) {
  if (preview_window_ == nullptr) preview_window_ = new PreviewWindow(this);
  return preview_window_->Show(path, title);
}

bool MainWindow::ShowPreview(const ScreenPicture& shown, const std::string& title) {
  if (preview_window_ == nullptr) preview_window_ = new PreviewWindow(this);
  return preview_window_->Show(shown, title);
}

}  // namespace lumivane::ui
