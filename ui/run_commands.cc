// The window's commands about a run: starting it, stopping it, and
// quitting while one goes.
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QProgressBar>
#include <utility>

#include "engine/run/messages.h"
#include "platform/file_system.h"
#include "platform/shell_open.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "text/text_helpers.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/window_inputs.h"
#include "ui/window_preview.h"
#include "ui/window_thread.h"

namespace lumivane::ui {

void MainWindow::StartCommand() {
  if (locked_) return StopCommand();
  // Stored when a run starts, as config.dat is.
  SaveOperations();
  RunRequest request;
  request.inputs = ReadInputs(*this);
  request.extras = extras_;
  for (const Preset& p : outputs_) {
    request.sets.push_back({PresetFolderName(p), p.width, BesidePresets(p, extras_)});
  }
  stop_run_ = std::make_shared<std::atomic<bool>>(false);
  request.stop = stop_run_;
  pause_run_ = std::make_shared<std::atomic<bool>>(false);
  request.pause = pause_run_;
  // The same job again after it was stopped: what it finished is left.
  const std::pair<std::string, std::string> job = {TrimSpaces(request.inputs.source),
                                                   TrimSpaces(request.inputs.target)};
  request.skip_done = job == stopped_job_;
  // A watch started again goes on from what it made, as after a stop.
  request.watch = watch_action_->isChecked();
  request.skip_done = request.skip_done || request.watch;
  stopped_job_ = {};
  running_job_ = job;
  run_started_ = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
  // The worker's first call to the window waits for this handler to
  // return, so the lock always comes first.
  // The last run has ended (the button is greyed while one goes).
  if (run_.Joinable()) run_.Join();
  auto run = RunningBatch::Start(port(), settings_, request, [this](const RunOutcome& outcome) {
    // Before the run counts as ended: quitting waits for this too.
    OnWindowThread(this, [&] { EndRun(outcome); });
  });
  if (!run) {
    Message("无法创建新线程来处理图片", MessageIcon::kError);
    return;
  }
  run_ = std::move(*run);
  LockForRun();
}

void MainWindow::EndRun(const RunOutcome& outcome) {
  // The run is over: the question the user was asked about it goes.
  CloseHeldQuestion();
  UnlockAfterRun();
  control_as<QProgressBar>(Control::ProgressBar)->setValue(0);
  // Kept once the checks have passed, whatever the run then met.
  if (outcome.checked) {
    settings_ = *outcome.checked;
    SaveSettings(program_folder_, settings_);
  }
  if (outcome.focus) control(ControlFor(*outcome.focus))->setFocus();
  if (outcome.open_target && !platform::ShellOpened(seam_.OpenWithDesktop(outcome.target))) {
    Message(msg::NothingOpensFolder(outcome.target), MessageIcon::kWarning);
  }
}

bool MainWindow::ExitRule() {
  if (run_.Active()) {
    if (!AskWhileHeld("图片正在进行处理，确认要退出吗？")) return false;
    StopRunAndWait();
  }
  preview_->CancelAndWait();
  // No half-written output may stay behind.
  platform::RemovePendingTemporaries();
  exit_process_(0);
  return true;
}

void MainWindow::StopCommand() {
  if (!locked_ || (stop_run_ && stop_run_->load())) return;
  if (!AskWhileHeld("确认要停止处理吗？正在处理的图片会先处理完，处理报告里列出没有处理的图片。")) {
    return;
  }
  // The run may have ended while the question was open.
  if (!locked_ || !stop_run_) return;
  AskStop();
}

bool MainWindow::AskWhileHeld(const std::string& question) {
  // No new picture starts while the user decides.
  if (pause_run_) pause_run_->store(true);
  question_held_ = true;
  const bool yes = seam_.AskYesNo(this, msg::kQuestionCaption, question);
  question_held_ = false;
  if (pause_run_) pause_run_->store(false);
  return yes;
}

void MainWindow::CloseHeldQuestion() {
  if (question_held_) seam_.CloseQuestion();
  question_held_ = false;
}

void MainWindow::AskStop() {
  if (stop_run_) stop_run_->store(true);
  stopped_job_ = running_job_;
  control(Control::StartButton)->setEnabled(false);
  auto* bar = control_as<QProgressBar>(Control::ProgressBar);
  bar->setFormat(Q("正在停止：处理中的图片完成后写出处理报告"));
  bar->setTextVisible(true);
}

void MainWindow::StopRunAndWait() {
  AskStop();
  // The run finishes the pictures in hand and writes its report, reaching
  // the window as it does: the window goes on answering meanwhile.
  while (run_.Active() && run_dialogs_open_ == 0) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  ExitRule();
}

}  // namespace lumivane::ui
