#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QUrl>
#include <thread>
#include <utility>
#include <vector>

#include "announce/download.h"
#include "announce/vendor.h"
#include "engine/picture/font_resolver.h"
#include "engine/run/batch_run.h"
#include "engine/run/folder_scan.h"
#include "engine/run/messages.h"
#include "platform/file_system.h"
#include "platform/shell_open.h"
#include "settings/options_file.h"
#include "settings/presets_file.h"
#include "settings/settings_file.h"
#include "text/text_helpers.h"
#include "ui/chinese_file_dialog.h"
#include "ui/font_text.h"
#include "ui/guide_window.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/menu_commands.h"
#include "ui/more_options_dialog.h"
#include "ui/qt_text.h"
#include "ui/qt_window_port.h"
#include "ui/window_inputs.h"
#include "ui/window_preview.h"

namespace lumivane::ui {

void MainWindow::MainWindowProc(Control sender) {
  auto ticked = [this](Control c) { return control_as<QCheckBox>(c)->isChecked(); };
  auto follow = [this](Control box, bool on, bool caret_to_end) {
    control(box)->setEnabled(on);
    if (!on) return;
    if (caret_to_end) {
      auto* edit = control_as<QLineEdit>(box);
      edit->setCursorPosition(edit->text().size());
    }
    control(box)->setFocus();
  };
  switch (sender) {
    case Control::SourceFolderBrowseButton:
      return SourceFolderCommand();
    case Control::TextWatermarkCheck:
      return TextGroupSwitch(ticked(Control::TextWatermarkCheck));
    case Control::PictureWatermarkCheck:
      return PictureGroupSwitch(ticked(Control::PictureWatermarkCheck));
    case Control::TextHorizontalPositionCombo:
      return MarginBoxRule(sender, Control::TextHorizontalMarginBox);
    case Control::TextVerticalPositionCombo:
      return MarginBoxRule(sender, Control::TextVerticalMarginBox);
    case Control::PictureHorizontalPositionCombo:
      return MarginBoxRule(sender, Control::PictureHorizontalMarginBox);
    case Control::PictureVerticalPositionCombo:
      return MarginBoxRule(sender, Control::PictureVerticalMarginBox);
    case Control::FontButton:
      return FontCommand();
    case Control::TextPreviewButton:
    case Control::PicturePreviewButton:
      return preview_->Start(sender);
    case Control::WatermarkPictureBrowseButton:
      return WatermarkPictureCommand();
    case Control::TargetFolderBrowseButton:
      return TargetFolderCommand();
    case Control::StartButton:
      return StartCommand();
    default:
      break;
  }
  const std::vector<Control> followers = FollowersOf(sender);
  for (Control c : followers)
    follow(c, ticked(sender), qobject_cast<QLineEdit*>(control(c)) != nullptr);
  if (!followers.empty()) ShowOperationsInSight();  // a preset's width may be off now
}

void MainWindow::SetMenuHandler(int id, std::function<void()> handler) {
  menu_handlers_[id] = std::move(handler);
}

void MainWindow::MenuCommand(int id) {
  if (id == kExitCommand) {
    ExitRule();
  } else if (id == kAboutCommand) {
    ShowAbout();
  } else if (id == kHowToUseCommand) {
    HowToUseCommand();
  } else if (id == kHomePageCommand) {
    OpenPage(kHomePageAddress);
  } else if (id == kMoreOptionsCommand) {
    MoreOptionsCommand();
  } else if (auto it = menu_handlers_.find(id); it != menu_handlers_.end()) {
    it->second();
  }
}

void MainWindow::HowToUseCommand() {
  if (guide_file_.empty()) {
    OpenPage(kHelpPageAddress);
    return;
  }
  std::thread([window = QPointer<MainWindow>(this)] {
    const bool reachable = HelpPageReachable();
    QMetaObject::invokeMethod(
        qApp,
        [window, reachable] {
          if (window) window->ShowGuide(reachable);
        },
        Qt::QueuedConnection);
  }).detach();
}

void MainWindow::ShowGuide(bool page_reachable) {
  if (page_reachable && OpenOutside(kHelpPageAddress)) return;
  if (OpenOutside(guide_file_)) return;
  if (guide_window_ == nullptr) guide_window_ = new GuideWindow(this);
  if (!guide_window_->Show(guide_file_)) {
    Message(msg::NothingOpensGuide(guide_file_), MessageIcon::kWarning);
  }
}

bool MainWindow::OpenOutside(const std::string& target) {
  return platform::ShellOpened(seam_.OpenWithDesktop(target)) ||
         platform::ShellOpened(seam_.OpenInBrowser(target));
}

void MainWindow::OpenPage(const std::string& address) {
  if (!OpenOutside(address)) Message(msg::NothingOpensPage(address), MessageIcon::kWarning);
}

void MainWindow::Message(const std::string& text, MessageIcon icon) {
  seam_.ShowMessage(this, msg::kNoticeCaption, text, icon);
}

void MainWindow::SourceFolderCommand() {
  auto* source = control_as<QLineEdit>(Control::SourceFolderBox);
  auto chosen = seam_.BrowseForFolder(this, "选择图片源文件夹：", source->text().toStdString());
  if (!chosen) return;
  TakeSourceFolder(TrimSpaces(*chosen));
}

void MainWindow::TakeSourceFolder(const std::string& folder) {
  auto* source = control_as<QLineEdit>(Control::SourceFolderBox);
  // Choosing the folder that is already there changes nothing.
  if (folder.empty() || source->text().toStdString() == folder) return;
  source->setText(Q(folder));
  proposed_target_ = DefaultTargetFolder(folder);
  control_as<QLineEdit>(Control::TargetFolderBox)->setText(Q(proposed_target_));
}

void MainWindow::SourceTyped(const std::string& typed) {
  auto* target = control_as<QLineEdit>(Control::TargetFolderBox);
  // A target the user typed or chose stays; one the program proposed
  // follows the source, as choosing it would.
  if (!target->text().isEmpty() && target->text().toStdString() != proposed_target_) return;
  const std::string folder = TrimSpaces(typed);
  proposed_target_ = IsDirectory(folder) ? DefaultTargetFolder(folder) : "";
  target->setText(Q(proposed_target_));
}

namespace {

// The one local file or folder a drop carries; none for anything else.
std::optional<std::string> DroppedPath(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
  const QUrl url = data->urls().front();
  if (!url.isLocalFile()) return std::nullopt;
  return url.toLocalFile().toStdString();
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  // Nothing is taken while a run has the controls locked.
  if (DroppedPath(event->mimeData()) && !locked_) {
    event->acceptProposedAction();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const auto path = DroppedPath(event->mimeData());
  if (path && TakeDrop(*path, event->position().toPoint())) event->acceptProposedAction();
}

bool MainWindow::TakeDrop(const std::string& path, QPoint at) {
  if (locked_) return false;
  QWidget* picture_box = control(Control::WatermarkPictureBox);
  if (picture_box->isEnabled() && picture_box->rect().contains(picture_box->mapFrom(this, at))) {
    if (!FileExists(path)) return false;
    if (!IsWatermarkPictureName(path)) {
      log_window().AppendLine("水印图片须为 PNG、JPG、GIF、BMP、WebP 或 TIFF 图片，未采用：" +
                              path);
      return false;
    }
    control_as<QLineEdit>(Control::WatermarkPictureBox)->setText(Q(path));
    return true;
  }
  if (!IsDirectory(path)) return false;
  TakeSourceFolder(path);
  return true;
}

void MainWindow::TargetFolderCommand() {
  auto chosen =
      seam_.BrowseForFolder(this, "图片处理后保存到：",
                            control_as<QLineEdit>(Control::TargetFolderBox)->text().toStdString());
  if (chosen && !chosen->empty())
    control_as<QLineEdit>(Control::TargetFolderBox)->setText(Q(*chosen));
}

void MainWindow::WatermarkPictureCommand() {
  auto chosen = seam_.ChoosePictureFile(
      this, "选择水印图片",
      control_as<QLineEdit>(Control::WatermarkPictureBox)->text().toStdString());
  if (chosen) control_as<QLineEdit>(Control::WatermarkPictureBox)->setText(Q(*chosen));
}

void MainWindow::FontCommand() {
  const std::string text =
      TrimSpaces(control_as<QLineEdit>(Control::WatermarkTextBox)->text().toStdString());
  if (!seam_.ChooseWatermarkFont(this, settings_.sy_text_font, text)) return;
  control_as<QLineEdit>(Control::FontSummaryBox)
      ->setText(Q(FontSummaryText(settings_.sy_text_font)));
  if (!text.empty() && HasNonAscii(text) && !FontShowsChinese(settings_.sy_text_font)) {
    Message(ChineseFontMessage(msg::kFontCannotShowChinese, text), MessageIcon::kWarning);
    control(Control::FontButton)->setFocus();
  }
}

std::string MainWindow::OptionsBarText(MarkSwitches marks) const {
  const std::string operations = OperationsBarText(marks);
  if (watch_action_ == nullptr || !watch_action_->isChecked()) return operations;
  return "监视文件夹" + (operations.empty() ? "" : " · " + operations);
}

std::string MainWindow::OperationsBarText(MarkSwitches marks) const {
  const std::string prefix = "更多处理选项：";
  if (!outputs_.empty()) {
    // Each preset its own; what the dialog adds, alike for all of them.
    std::string text = "同时做出：";
    for (size_t i = 0; i < outputs_.size(); ++i) {
      text += (i == 0 ? "" : "、") + PresetFolderName(outputs_[i]);
    }
    const std::string beside = DescribeOperations(BesidePresets(Preset{}, extras_), marks);
    if (!beside.empty()) text += " · " + beside.substr(prefix.size());
    return text;
  }
  const std::string operations = DescribeOperations(extras_, marks);
  if (!preset_) return operations;
  // The preset by its name, and whether the width it set is still the window's.
  std::string text = "预设：" + (preset_->short_name.empty() ? preset_->name : preset_->short_name);
  if (preset_->width > 0) {
    const bool kept = control_as<QCheckBox>(Control::WidthCheck)->isChecked() &&
                      TrimSpaces(control_as<QLineEdit>(Control::WidthBox)->text().toStdString()) ==
                          std::to_string(preset_->width);
    text += " · 宽 " + std::to_string(preset_->width) + (kept ? "" : "（图片宽已改动，不按预设）");
  }
  if (!operations.empty()) text += " · " + operations.substr(prefix.size());
  return text;
}

void MainWindow::SetExtraOperations(const ExtraOperations& operations) {
  extras_ = operations;
  preset_.reset();
  ShowOperationsInSight();
}

void MainWindow::ShowOperationsInSight() {
  auto* bar = control_as<QProgressBar>(Control::ProgressBar);
  // During a run the bar tells the run.
  if (more_options_action_ == nullptr || !more_options_action_->isEnabled()) return;
  const MarkSwitches marks{control_as<QCheckBox>(Control::TextWatermarkCheck)->isChecked(),
                           control_as<QCheckBox>(Control::PictureWatermarkCheck)->isChecked()};
  const QString text = Q(OptionsBarText(marks));
  // One line, shortened to the bar; the whole text is in its tool tip.
  bar->setFormat(bar->fontMetrics().elidedText(text, Qt::ElideRight, bar->width() - 12));
  bar->setTextVisible(!text.isEmpty());
  bar->setToolTip(text.isEmpty() ? QString() : text + Q("\n单击这里修改"));
  bar->setCursor(text.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == control(Control::ProgressBar)) {
    // A click that began on the bar: in the "?" mode the press was the help's.
    if (event->type() == QEvent::MouseButtonPress) bar_pressed_ = true;
    if (event->type() == QEvent::MouseButtonRelease && std::exchange(bar_pressed_, false) &&
        more_options_action_->isEnabled()) {
      MoreOptionsCommand();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::MoreOptionsCommand() {
  if (!seam_.ChooseExtraOperations(this, program_folder_, extras_, preset_, outputs_)) return;
  // 确定 keeps them: stored at once, not only when a run starts.
  SaveOperations();
  ApplyPresetWidth();
  ShowOperationsInSight();
}

void MainWindow::ApplyPresetWidth() {
  if (!preset_ || preset_->width <= 0) return;
  // A preset sets the width switch as well.
  control_as<QCheckBox>(Control::WidthCheck)->setChecked(true);
  control(Control::WidthBox)->setEnabled(true);
  control_as<QLineEdit>(Control::WidthBox)->setText(QString::number(preset_->width));
}

void MainWindow::SaveOperations() {
  std::vector<std::string> names;
  for (const Preset& p : outputs_) names.push_back(p.name);
  SaveExtraOperations(program_folder_, extras_, preset_ ? preset_->name : "", names);
}

void MainWindow::RestorePreset(const std::string& name, const std::vector<std::string>& outputs) {
  std::vector<Preset> all = Presets();
  for (const Preset& p : LoadUserPresets(program_folder_)) all.push_back(p);
  preset_.reset();
  outputs_.clear();
  for (const Preset& p : all) {
    if (!name.empty() && p.name == name && p.operations == extras_) preset_ = p;
    if (std::find(outputs.begin(), outputs.end(), p.name) != outputs.end()) outputs_.push_back(p);
  }
  if (outputs_.size() < 2) outputs_.clear();  // a preset since removed
  ApplyPresetWidth();
  ShowOperationsInSight();
}

void MainWindow::AppendRunLogLine(const std::string& line) {
  // A run's lines start under its time, so that runs can be told apart.
  if (!run_started_.empty()) log_window_->AppendLine("———— " + run_started_ + " 开始处理 ————");
  run_started_.clear();
  log_window_->AppendLine(line);
}

void MainWindow::ShowAbout() {
  const std::string text =
      std::string("Lumivane ") + kProgramVersion +
      "\n\n主要功能：缩小图片尺寸、图片压缩、给图片加[文字]或[图片]水印，一键批量处理。"
      "\n\n目前支持处理的图片格式：JPG, PNG, BMP, HEIC, WebP, AVIF, TIFF, GIF。";
  seam_.ShowMessage(this, "关于", text, MessageIcon::kInformation);
}

}  // namespace lumivane::ui
