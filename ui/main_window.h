// The main window: its 43 controls, the menu bar, the enabling rules and
// the one place that dispatches its commands (MainWindowProc).
#ifndef LUMIVANE_UI_MAIN_WINDOW_H_
#define LUMIVANE_UI_MAIN_WINDOW_H_

#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/processing_settings.h"
#include "engine/picture/screen_picture.h"
#include "engine/run/running_batch.h"
#include "engine/run/window_port.h"
#include "ui/controls.h"
#include "ui/ui_seam.h"

class QAction;
class QMenuBar;

namespace lumivane::ui {

class LogWindow;
class WindowPreview;
class GuideWindow;
class QtWindowPort;
struct GroupControls;

class MainWindow : public QMainWindow {
 public:
  struct Options {
    bool with_announcements = false;
    // Where the settings, options and presets files are kept.
    std::string program_folder;
    // How the process ends (tests replace it).
    std::function<void(int)> exit_process;
    // The guide shipped with the program, opened where the help page
    // cannot be reached; "" for none.
    std::string guide_file;
  };

  MainWindow(UiSeam& seam, ProcessingSettings& settings, Options options);
  ~MainWindow() override;

  QWidget* control(Control c) const { return controls_[static_cast<size_t>(c)]; }
  template <typename T>
  T* control_as(Control c) const {
    return static_cast<T*>(control(c));
  }
  WindowPort& port();
  LogWindow& log_window() const { return *log_window_; }
  UiSeam& seam() const { return seam_; }
  QAction* announcement_action() const { return announcement_action_; }
  QAction* more_options_action() const { return more_options_action_; }
  // 文件 → 监视文件夹: the next run then watches its source until stopped.
  QAction* watch_action() const { return watch_action_; }

  // Start-up: the loaded settings into the controls, then the switches'
  // initial states (quality on, the other switches off).
  void CopySettingsIntoControls();
  void SetInitialStates();
  // Each switch's controls enabled as it is.
  void FollowSwitches();

  // Enabling rules.
  void TextGroupSwitch(bool on);
  void PictureGroupSwitch(bool on);
  void LockForRun();
  void UnlockAfterRun();
  // What the window does once a run is over: unlock, keep the settings the
  // run's checks took, lead to a refused input, open the outputs if asked.
  void EndRun(const RunOutcome& outcome);
  // Closes the stop or exit question still open about a run that ended.
  void CloseHeldQuestion();
  // The bar's text during a run: pictures done, of all, and the time left.
  void ShowPictureCount(int done, int total);
  // The bar's text while a watching run waits for pictures.
  void ShowWaitingForArrivals();
  // Time the run spent waiting on the user (a question, a message): it is
  // not the pace of the pictures.
  // A message or question of the run, open while it lasts: the time it
  // waits for the user is left out of the run's clock, and the window
  // cannot wait for the run meanwhile (the run waits for it).
  class RunDialog {
   public:
    explicit RunDialog(MainWindow& window) : window_(window) {
      ++window_.run_dialogs_open_;
      open_.start();
    }
    ~RunDialog() {
      --window_.run_dialogs_open_;
      window_.waited_ms_ += open_.elapsed();
    }
    RunDialog(const RunDialog&) = delete;
    RunDialog& operator=(const RunDialog&) = delete;

   private:
    MainWindow& window_;
    QElapsedTimer open_;
  };

  // The commands of the controls (by sender) and of the menu (by id).
  void MainWindowProc(Control sender);
  void MenuCommand(int id);
  // Extra menu handlers installed by the subsystems that own them.
  void SetMenuHandler(int id, std::function<void()> handler);

  // What a drop of `path` at `at` (window coordinates) does: a folder
  // becomes the source folder, a picture dropped on the watermark picture
  // box the watermark picture. False when it is not taken.
  bool TakeDrop(const std::string& path, QPoint at);

  // The marketplace operations the next run applies.
  const ExtraOperations& extra_operations() const { return extras_; }
  // The previews: made off the window's thread, shown here or outside.
  WindowPreview& preview() { return *preview_; }
  // A web page with the desktop's program or a browser; where this system
  // has neither, a message gives the address.
  void OpenPage(const std::string& address);
  // The help page when it is reachable and something here opens it, else
  // the shipped guide: in the desktop's program, a browser, or a window of
  // our own.
  void ShowGuide(bool page_reachable);
  GuideWindow* guide_window() const { return guide_window_; }

  // A line the run logs; its first comes under the time the run started.
  void AppendRunLogLine(const std::string& line);

  // Shown in the idle progress bar whenever one is on.
  void SetExtraOperations(const ExtraOperations& operations);
  // At start-up: the preset options.dat names is in effect again (its
  // width too) while the operations are still as it sets them.
  // `outputs`: the presets options.dat says are ticked to be made at once.
  void RestorePreset(const std::string& name, const std::vector<std::string>& outputs = {});

  // Asks first while a run is going; then ends the process with code 0.
  // A folder taken as the source, the target proposed beside it (as the
  // chooser, a drop or "lumivane FOLDER" give it).
  void TakeSourceFolder(const std::string& folder);
  bool ExitRule();
  // A run started here has not yet taken its last step.
  bool RunGoing() const { return run_.Active(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // A folder dropped on the window becomes the source folder; a picture
  // dropped on the watermark picture box becomes the watermark picture.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // A click on the idle progress bar opens the operations' dialog.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void GroupSwitch(const GroupControls& group, bool on);
  void BuildMenuBar(bool with_announcements);
  void MarginBoxRule(Control combo, Control box);
  void UpdateFontSummaryColour();
  void SourceFolderCommand();
  // A source typed or pasted: the target the program proposed follows it.
  void SourceTyped(const std::string& typed);
  void TargetFolderCommand();
  void WatermarkPictureCommand();
  void FontCommand();
  void StartCommand();
  void MoreOptionsCommand();
  // The help page, or the shipped guide where the page cannot be reached
  // (asked off the window's thread).
  void HowToUseCommand();
  // True when the desktop's program or a browser took `target`.
  bool OpenOutside(const std::string& target);
  // Between runs the progress bar names the operations in effect, so that
  // none surprises the next run.
  void ShowOperationsInSight();
  // What the options bar says: the preset in effect, if any, and the
  // operations that act.
  std::string OptionsBarText(MarkSwitches marks) const;
  // The operations' part of it.
  std::string OperationsBarText(MarkSwitches marks) const;
  void ApplyPresetWidth();
  // The operations, the preset and the presets ticked into options.dat.
  void SaveOperations();
  void ShowAbout();
  void Message(const std::string& text, MessageIcon icon);
  // Quitting mid-run: the run stops after the pictures in hand and keeps
  // its record; back once it has ended.
  void StopRunAndWait();
  // The start button as 停止, or Escape, during a run: asked once, the run
  // then finishes the pictures in hand and starts no more.
  void StopCommand();
  // Tells the run to stop, and the window that it is stopping.
  void AskStop();
  // A question about the run, asked while it starts no new picture.
  bool AskWhileHeld(const std::string& question);

  UiSeam& seam_;
  ProcessingSettings& settings_;
  std::array<QWidget*, kControlCount> controls_{};
  LogWindow* log_window_ = nullptr;
  std::unique_ptr<QtWindowPort> port_;
  QAction* announcement_action_ = nullptr;
  const std::string program_folder_;
  const std::string guide_file_;
  std::function<void(int)> exit_process_;
  std::map<int, std::function<void()>> menu_handlers_;
  QAction* more_options_action_ = nullptr;
  QAction* watch_action_ = nullptr;
  std::string run_started_;                       // until the run's first log line
  GuideWindow* guide_window_ = nullptr;           // once the guide needed it
  std::shared_ptr<std::atomic<bool>> stop_run_;   // the current run's
  std::shared_ptr<std::atomic<bool>> pause_run_;  // while asked whether to stop it
  RunningBatch run_;                              // joined before the window goes
  std::unique_ptr<WindowPreview> preview_;
  QElapsedTimer run_clock_;
  qint64 waited_ms_ = 0;
  int run_dialogs_open_ = 0;
  // The source and target of the run going, and of the last run stopped:
  // started again, that one leaves what it finished.
  std::pair<std::string, std::string> running_job_, stopped_job_;
  bool locked_ = false;          // a run has the controls
  bool question_held_ = false;   // a question holds the run
  bool bar_pressed_ = false;     // a click on the options bar began there
  std::string proposed_target_;  // the target the program last filled in
  ExtraOperations extras_;
  std::optional<Preset> preset_;  // the operations are this preset's
  std::vector<Preset> outputs_;   // made at once, each into its folder (none, or two or more)
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_MAIN_WINDOW_H_
