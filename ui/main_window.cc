#include "ui/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "announce/download.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "ui/chinese_file_dialog.h"
#include "ui/control_building.h"
#include "ui/control_layout.h"
#include "ui/font_text.h"
#include "ui/log_window.h"
#include "ui/menu_commands.h"
#include "ui/more_options_dialog.h"
#include "ui/progress_text.h"
#include "ui/qt_text.h"
#include "ui/qt_window_port.h"
#include "ui/window_inputs.h"
#include "ui/window_preview.h"

namespace lumivane::ui {

MainWindow::MainWindow(UiSeam& seam, ProcessingSettings& settings, Options options)
    : seam_(seam),
      settings_(settings),
      program_folder_(std::move(options.program_folder)),
      guide_file_(std::move(options.guide_file)),
      exit_process_(std::move(options.exit_process)) {
  if (!exit_process_) exit_process_ = platform::EndProcessNow;
  setWindowTitle("Lumivane");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  BuildMenuBar(options.with_announcements);
  auto* client = new QWidget(this);
  client->setObjectName("Client");
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);
  CreateControls();
  control(Control::ProgressBar)->installEventFilter(this);
  port_ = std::make_unique<QtWindowPort>(*this);
  log_window_ = new LogWindow(this);
  preview_ = std::make_unique<WindowPreview>(*this, settings_,
                                             platform::JoinPath(program_folder_, "temp"));
}

MainWindow::~MainWindow() {
  // The preview and the run reach the window through its port: they end
  // before the window goes.
  preview_->CancelAndWait();
  if (!run_.Joinable()) return;
  StopRunAndWait();
  run_.Join();
}

WindowPort& MainWindow::port() { return *port_; }

void MainWindow::BuildMenuBar(bool with_announcements) {
  auto add = [this](QMenu* menu, const char* text, int id) {
    QAction* a = menu->addAction(QString::fromUtf8(text));
    connect(a, &QAction::triggered, this, [this, id] { MenuCommand(id); });
  };
  // Items meant for the right end of the bar sit in a second bar in its corner.
  auto* right = new QMenuBar(this);
  right->setObjectName("RightMenuBar");
  QMenuBar* left = menuBar();
  QMenuBar* popups = with_announcements ? right : left;
  if (with_announcements) {
    announcement_action_ = left->addAction("AD");
    connect(announcement_action_, &QAction::triggered, this,
            [this] { MenuCommand(kAnnouncementCommand); });
  }
  QMenu* file = popups->addMenu("文件(&F)");
  more_options_action_ = file->addAction(QString::fromUtf8("更多处理选项…"));
  connect(more_options_action_, &QAction::triggered, this,
          [this] { MenuCommand(kMoreOptionsCommand); });
  watch_action_ = file->addAction(QString::fromUtf8("监视文件夹"));
  watch_action_->setCheckable(true);
  watch_action_->setWhatsThis(QString::fromUtf8(
      "勾选后，开始处理时先处理图片源文件夹，然后一直监视它：新放进来或改动的图片，\n"
      "写完两秒后自动处理，直到按“停止”。再次开始时，已处理好的图片不再处理。"));
  connect(watch_action_, &QAction::toggled, this, [this] { ShowOperationsInSight(); });
  add(file, "创建桌面快捷方式", kCreateShortcutCommand);
  file->addSeparator();
  add(file, "退出(&Q)", kExitCommand);
  QMenu* help = popups->addMenu("帮助(&H)");
  add(help, "如何使用", kHowToUseCommand);
  add(help, "官方网站", kHomePageCommand);
  help->addSeparator();
  add(help, "关于...", kAboutCommand);
  QAction* context_help = right->addAction("?");
  connect(context_help, &QAction::triggered, this, [this] { MenuCommand(kContextHelpCommand); });
  left->setCornerWidget(right, Qt::TopRightCorner);
}

void MainWindow::CreateControls() {
  controls_ = BuildControls(centralWidget());
  // Drops on the folder and picture boxes are the window's to take.
  setAcceptDrops(true);
  for (Control c :
       {Control::SourceFolderBox, Control::TargetFolderBox, Control::WatermarkPictureBox}) {
    control(c)->setAcceptDrops(false);
  }
  // Every control's command goes through MainWindowProc.
  for (const ControlPlace& place : kControlLayout) {
    const Control c = place.control;
    if (auto* button = qobject_cast<QAbstractButton*>(control(c))) {
      connect(button, &QAbstractButton::clicked, this, [this, c] { MainWindowProc(c); });
    } else if (auto* combo = qobject_cast<QComboBox*>(control(c))) {
      connect(combo, &QComboBox::activated, this, [this, c] { MainWindowProc(c); });
    }
  }
  connect(control_as<QLineEdit>(Control::SourceFolderBox), &QLineEdit::textEdited, this,
          [this](const QString& typed) { SourceTyped(typed.toStdString()); });
  connect(control_as<QLineEdit>(Control::WidthBox), &QLineEdit::textEdited, this,
          [this] { ShowOperationsInSight(); });
  UpdateFontSummaryColour();
}

void MainWindow::CopySettingsIntoControls() {
  ShowInputs(*this, InputsShowing(settings_), Shown::kValues);
  control_as<QLineEdit>(Control::FontSummaryBox)
      ->setText(Q(FontSummaryText(settings_.sy_text_font)));
}

void MainWindow::SetInitialStates() {
  ShowInputs(*this, InputsShowing(settings_), Shown::kSwitches);
  FollowSwitches();
}

void MainWindow::FollowSwitches() {
  auto checked = [this](Control c) { return control_as<QCheckBox>(c)->isChecked(); };
  TextGroupSwitch(checked(Control::TextWatermarkCheck));
  PictureGroupSwitch(checked(Control::PictureWatermarkCheck));
  for (const ControlPlace& place : kControlLayout) {
    for (Control c : FollowersOf(place.control)) control(c)->setEnabled(checked(place.control));
  }
}

// The controls a watermark group's switch turns on and off, in order; a
// margin box follows its position list as well.
struct GroupControls {
  std::vector<Control> leading;
  Control horizontal_combo, horizontal_box, vertical_combo, vertical_box;
  std::vector<Control> trailing;
};

namespace {

const GroupControls kTextGroup = {
    {Control::WatermarkTextLabel, Control::WatermarkTextBox, Control::OpacityLabel,
     Control::OpacityCombo, Control::TextPositionLabel, Control::TextHorizontalPositionCombo},
    Control::TextHorizontalPositionCombo,
    Control::TextHorizontalMarginBox,
    Control::TextVerticalPositionCombo,
    Control::TextVerticalMarginBox,
    {Control::FontLabel, Control::FontSummaryBox, Control::FontButton, Control::TextPreviewButton}};

const GroupControls kPictureGroup = {
    {Control::WatermarkPictureLabel, Control::WatermarkPictureBox,
     Control::WatermarkPictureBrowseButton, Control::PicturePositionLabel,
     Control::PictureHorizontalPositionCombo},
    Control::PictureHorizontalPositionCombo,
    Control::PictureHorizontalMarginBox,
    Control::PictureVerticalPositionCombo,
    Control::PictureVerticalMarginBox,
    {Control::PicturePreviewButton}};

}  // namespace

void MainWindow::GroupSwitch(const GroupControls& g, bool on) {
  auto not_centred = [this](Control c) { return control_as<QComboBox>(c)->currentIndex() != 0; };
  for (Control c : g.leading) control(c)->setEnabled(on);
  control(g.horizontal_box)->setEnabled(on && not_centred(g.horizontal_combo));
  control(g.vertical_combo)->setEnabled(on);
  control(g.vertical_box)->setEnabled(on && not_centred(g.vertical_combo));
  for (Control c : g.trailing) control(c)->setEnabled(on);
  ShowOperationsInSight();  // what tunes a mark acts only with it
}

void MainWindow::TextGroupSwitch(bool on) {
  GroupSwitch(kTextGroup, on);
  UpdateFontSummaryColour();
}

void MainWindow::PictureGroupSwitch(bool on) { GroupSwitch(kPictureGroup, on); }

void MainWindow::UpdateFontSummaryColour() {
  // Read-only, yet white like the boxes beside it while the text watermark is on.
  auto* box = control(Control::FontSummaryBox);
  QPalette p = box->palette();
  p.setColor(QPalette::Base, control(Control::WatermarkTextBox)->isEnabled()
                                 ? QColor(Qt::white)
                                 : palette().color(QPalette::Window));
  box->setPalette(p);
}

void MainWindow::LockForRun() {
  locked_ = true;
  for (QWidget* w : controls_) w->setEnabled(false);
  // The one control a run leaves: it stops the run.
  control(Control::StartButton)->setEnabled(true);
  control_as<QPushButton>(Control::StartButton)->setText(Q("停止"));
  more_options_action_->setEnabled(false);  // the run's operations are fixed
  watch_action_->setEnabled(false);
  control(Control::ProgressBar)->setEnabled(true);
  control(Control::ProgressBar)->setToolTip(QString());
  control(Control::ProgressBar)->unsetCursor();
  UpdateFontSummaryColour();
}

void MainWindow::ShowPictureCount(int done, int total) {
  if (done == 0) {
    run_clock_.start();
    waited_ms_ = 0;
  }
  if (stop_run_ && stop_run_->load()) return;  // the bar says it is stopping
  auto* bar = control_as<QProgressBar>(Control::ProgressBar);
  const qint64 working = std::max<qint64>(0, run_clock_.elapsed() - waited_ms_);
  bar->setFormat(Q(PictureProgressText(done, total, working / 1000.0)));
  bar->setTextVisible(true);
}

void MainWindow::ShowWaitingForArrivals() {
  if (stop_run_ && stop_run_->load()) return;  // the bar says it is stopping
  auto* bar = control_as<QProgressBar>(Control::ProgressBar);
  bar->setValue(0);
  bar->setFormat(Q("监视中：新放进来或改动的图片写完两秒后自动处理，按“停止”结束"));
  bar->setTextVisible(true);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Escape stops a run, as the 停止 button does (a help bubble takes it first).
  if (event->key() == Qt::Key_Escape && locked_) return StopCommand();
  // And leaves a preview being made unshown.
  if (event->key() == Qt::Key_Escape && preview_->going()) return preview_->Cancel();
  QMainWindow::keyPressEvent(event);
}

void MainWindow::UnlockAfterRun() {
  locked_ = false;
  control_as<QPushButton>(Control::StartButton)->setText(Q("开始处理"));
  more_options_action_->setEnabled(true);
  watch_action_->setEnabled(true);
  control_as<QProgressBar>(Control::ProgressBar)->setTextVisible(false);
  ShowOperationsInSight();
  for (QWidget* w : controls_) w->setEnabled(true);
  FollowSwitches();
}

void MainWindow::MarginBoxRule(Control combo, Control box) {
  auto* margin = control_as<QLineEdit>(box);
  if (control_as<QComboBox>(combo)->currentIndex() != 0) {
    margin->setEnabled(true);
    margin->setCursorPosition(margin->text().size());
    margin->setFocus();
  } else {
    margin->setEnabled(false);
  }
}

}  // namespace lumivane::ui
