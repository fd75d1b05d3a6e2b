// The window's previews: one at a time, made off the window's thread while
// the window's controls are held as they were, shown where this computer
// can show them (the desktop's viewer, a browser, or a window of our own).
#ifndef LUMIVANE_UI_WINDOW_PREVIEW_H_
#define LUMIVANE_UI_WINDOW_PREVIEW_H_

#include <QSize>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/picture/processing_settings.h"
#include "engine/picture/screen_picture.h"
#include "ui/controls.h"
#include "ui/preview_showing.h"

class QWidget;

namespace lumivane::ui {

class MainWindow;
class PreviewWindow;

class WindowPreview {
 public:
  // `settings` is the window's record: a preview's checks take its values
  // into it, as a run's do. Made pictures go to `temp_folder`.
  WindowPreview(MainWindow& window, ProcessingSettings& settings, std::string temp_folder);
  ~WindowPreview();
  WindowPreview(const WindowPreview&) = delete;
  WindowPreview& operator=(const WindowPreview&) = delete;

  // The preview of the mark whose button is `button`; none while one is
  // being made.
  void Start(Control button);
  bool going() const { return thread_.joinable(); }
  // Escape or closing the window while a preview is made: it is not shown.
  void Cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }
  // Leaves the preview being made unshown and waits, answering its calls,
  // until it ends.
  void CancelAndWait();

  // The program's own window: the room a preview is read for, and a
  // picture shown in it (one window, reused); false when the file cannot
  // be shown.
  QSize Room();
  bool Show(const std::string& path, const std::string& title);
  bool Show(const ScreenPicture& shown, const std::string& title);
  PreviewWindow* own_window() const { return own_window_; }

 private:
  struct Job;
  // The preview made: the window is the user's again.
  void End(const Job& job);
  // This window's ways of showing a preview, called from the preview's
  // thread.
  PreviewShowers ShowersHere();
  PreviewWindow& OwnWindow();

  MainWindow& window_;
  ProcessingSettings& settings_;
  const std::string temp_folder_;
  PreviewWindow* own_window_ = nullptr;  // once a preview needed it
  std::thread thread_;                   // the preview being made
  bool cancelled_ = false;
  // Each control's enabled state while a preview holds them all.
  std::vector<std::pair<QWidget*, bool>> held_;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_WINDOW_PREVIEW_H_
