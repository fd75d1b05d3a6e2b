#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <thread>
#include <vector>

#include "announce/download.h"
#include "announce/vendor.h"
#include "engine/picture/font_resolver.h"
#include "engine/run/batch_run.h"
#include "engine/run/folder_scan.h"
#include "engine/run/messages.h"
#include "engine/run/preview.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "settings/options_file.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"
#include "text/text_helpers.h"
#include "ui/chinese_file_dialog.h"
#include "ui/control_layout.h"
#include "ui/font_text.h"
#include "ui/log_window.h"
#include "ui/menu_commands.h"
#include "ui/more_options_dialog.h"
#include "ui/preview_window.h"
#include "ui/progress_text.h"
#include "ui/qt_window_port.h"
#include "ui/window_inputs.h"

namespace lumivane::ui {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

template <size_t N>
void Fill(QComboBox* combo, const std::array<const char*, N>& items, int selected) {
  for (const char* item : items) combo->addItem(QString::fromUtf8(item));
  combo->setCurrentIndex(selected);
}

}  // namespace

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
}

MainWindow::~MainWindow() = default;

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

namespace {

// One control as the layout describes it, its height set where the kind
// decides it (a list's height in the layout is that of its open list).
QWidget* NewControl(const ControlPlace& place, QWidget* parent, int& height) {
  const QString text = QString::fromUtf8(place.text);
  QWidget* w = nullptr;
  height = place.height;
  switch (place.kind) {
    case ControlKind::kLabel:
    case ControlKind::kPlainLabel: {
      auto* label = new QLabel(text, parent);
      label->setAutoFillBackground(place.kind == ControlKind::kPlainLabel);  // covers a caption
      // Text at the top of its rectangle: level with the text of the box beside it.
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      w = label;
      break;
    }
    case ControlKind::kEdit:
    case ControlKind::kReadOnlyEdit: {
      auto* edit = new QLineEdit(text, parent);
      edit->setReadOnly(place.kind == ControlKind::kReadOnlyEdit);
      w = edit;
      break;
    }
    case ControlKind::kPushButton:
      w = new QPushButton(text, parent);
      break;
    case ControlKind::kCheckBox: {
      auto* box = new QCheckBox(text, parent);
      box->setAutoFillBackground(true);  // the group check boxes cover their group's caption
      w = box;
      break;
    }
    case ControlKind::kGroupBox: {
      // The caption is shown by the label or check box laid over it.
      auto* group = new QGroupBox(parent);
      group->setAccessibleName(text);
      w = group;
      break;
    }
    case ControlKind::kDropDownList: {
      auto* combo = new QComboBox(parent);
      combo->setMaxVisibleItems(std::max(1, (place.height - 21) / 18));
      height = 21;
      w = combo;
      break;
    }
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      w = bar;
      break;
    }
  }
  return w;
}

}  // namespace

void MainWindow::CreateControls() {
  for (const ControlPlace& place : kControlLayout) {
    int height = 0;
    QWidget* w = NewControl(place, centralWidget(), height);
    w->setObjectName(ControlName(place.control));
    w->setGeometry(place.x, place.y, place.width, height);
    if (place.kind == ControlKind::kGroupBox) {
      // The frame's top line runs through the middle of its caption.
      const int half = w->fontMetrics().height() / 2;
      w->setGeometry(place.x, place.y + half, place.width, height - half);
    }
    controls_[static_cast<size_t>(place.control)] = w;
  }
  // Drops on the folder and picture boxes are the window's to take.
  setAcceptDrops(true);
  for (Control c :
       {Control::SourceFolderBox, Control::TargetFolderBox, Control::WatermarkPictureBox}) {
    control(c)->setAcceptDrops(false);
  }
  // Frames lie beneath everything so that their contents get the clicks.
  for (Control g : {Control::BasicGroupBox, Control::TextGroupBox, Control::PictureGroupBox}) {
    control(g)->lower();
  }
  Fill(control_as<QComboBox>(Control::QualityCombo), kQualityItems, 1);
  Fill(control_as<QComboBox>(Control::RotationCombo), kRotationItems, 0);
  Fill(control_as<QComboBox>(Control::OpacityCombo), kOpacityItems, 0);
  for (Control c :
       {Control::TextHorizontalPositionCombo, Control::PictureHorizontalPositionCombo}) {
    Fill(control_as<QComboBox>(c), kHorizontalPositionItems, 2);
  }
  for (Control c : {Control::TextVerticalPositionCombo, Control::PictureVerticalPositionCombo}) {
    Fill(control_as<QComboBox>(c), kVerticalPositionItems, 2);
  }
  WidenWhatWouldClip();

  // Every control's command goes through MainWindowProc.
  for (const ControlPlace& place : kControlLayout) {
    const Control c = place.control;
    if (auto* button = qobject_cast<QAbstractButton*>(control(c))) {
      connect(button, &QAbstractButton::clicked, this, [this, c] { MainWindowProc(c); });
    } else if (auto* combo = qobject_cast<QComboBox*>(control(c))) {
      connect(combo, &QComboBox::activated, this, [this, c] { MainWindowProc(c); });
    }
  }
  UpdateFontSummaryColour();
}

void MainWindow::WidenWhatWouldClip() {
  // This platform's fonts and list arrows take more room than the layout's
  // own: a text that would be cut widens its control to the right, no more.
  for (QWidget* w : controls_) {
    if (qobject_cast<QComboBox*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w)) {
      if (w->sizeHint().width() > w->width()) w->resize(w->sizeHint().width(), w->height());
    }
  }
}

void MainWindow::CopySettingsIntoControls() {
  const ProcessingSettings& s = settings_;
  auto set_text = [this](Control c, const std::string& text) {
    control_as<QLineEdit>(c)->setText(Q(text));
  };
  auto select = [this](Control c, int position) {
    control_as<QComboBox>(c)->setCurrentIndex(position);
  };
  set_text(Control::WidthBox, std::to_string(s.width));
  select(Control::QualityCombo, s.quanlity);
  set_text(Control::WatermarkTextBox, s.sy_text);
  select(Control::OpacityCombo, s.sy_text_opacity);
  select(Control::TextHorizontalPositionCombo, s.sy_text_w_direction);
  set_text(Control::TextHorizontalMarginBox,
           std::to_string(static_cast<std::int32_t>(s.sy_text_w_value)));
  select(Control::TextVerticalPositionCombo, s.sy_text_h_direction);
  set_text(Control::TextVerticalMarginBox,
           std::to_string(static_cast<std::int32_t>(s.sy_text_h_value)));
  set_text(Control::FontSummaryBox, FontSummaryText(s.sy_text_font));
  set_text(Control::WatermarkPictureBox, s.sy_image);
  select(Control::PictureHorizontalPositionCombo, s.sy_image_w_direction);
  set_text(Control::PictureHorizontalMarginBox,
           std::to_string(static_cast<std::int32_t>(s.sy_image_w_value)));
  select(Control::PictureVerticalPositionCombo, s.sy_image_h_direction);
  set_text(Control::PictureVerticalMarginBox,
           std::to_string(static_cast<std::int32_t>(s.sy_image_h_value)));
}

void MainWindow::SetInitialStates() {
  control_as<QCheckBox>(Control::WidthCheck)->setChecked(false);
  control(Control::WidthBox)->setEnabled(false);
  control(Control::RotationCombo)->setEnabled(false);
  control_as<QCheckBox>(Control::QualityCheck)->setChecked(true);
  TextGroupSwitch(false);
  PictureGroupSwitch(false);
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
  for (QWidget* w : controls_) w->setEnabled(false);
  more_options_action_->setEnabled(false);  // the run's operations are fixed
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
  auto* bar = control_as<QProgressBar>(Control::ProgressBar);
  const qint64 working = std::max<qint64>(0, run_clock_.elapsed() - waited_ms_);
  bar->setFormat(Q(PictureProgressText(done, total, working / 1000.0)));
  bar->setTextVisible(true);
}

void MainWindow::UnlockAfterRun() {
  more_options_action_->setEnabled(true);
  control_as<QProgressBar>(Control::ProgressBar)->setTextVisible(false);
  ShowOperationsInSight();
  for (QWidget* w : controls_) w->setEnabled(true);
  auto checked = [this](Control c) { return control_as<QCheckBox>(c)->isChecked(); };
  TextGroupSwitch(checked(Control::TextWatermarkCheck));
  PictureGroupSwitch(checked(Control::PictureWatermarkCheck));
  control(Control::WidthBox)->setEnabled(checked(Control::WidthCheck));
  control(Control::QualityCombo)->setEnabled(checked(Control::QualityCheck));
  control(Control::RotationCombo)->setEnabled(checked(Control::RotationCheck));
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
    case Control::WidthCheck:
      return follow(Control::WidthBox, ticked(Control::WidthCheck), true);
    case Control::QualityCheck:
      return follow(Control::QualityCombo, ticked(Control::QualityCheck), false);
    case Control::RotationCheck:
      return follow(Control::RotationCombo, ticked(Control::RotationCheck), false);
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
      return PreviewCommand(sender);
    case Control::WatermarkPictureBrowseButton:
      return WatermarkPictureCommand();
    case Control::TargetFolderBrowseButton:
      return TargetFolderCommand();
    case Control::StartButton:
      return StartCommand();
    default:
      return;
  }
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
    seam_.OpenWithDesktop(kHomePageAddress);
  } else if (id == kMoreOptionsCommand) {
    MoreOptionsCommand();
  } else if (auto it = menu_handlers_.find(id); it != menu_handlers_.end()) {
    it->second();
  }
}

void MainWindow::HowToUseCommand() {
  if (guide_file_.empty()) {
    seam_.OpenWithDesktop(kHelpPageAddress);
    return;
  }
  std::thread([window = QPointer<MainWindow>(this)] {
    const bool reachable = HelpPageReachable();
    QMetaObject::invokeMethod(
        qApp,
        [window, reachable] {
          if (window) {
            window->seam_.OpenWithDesktop(reachable ? std::string(kHelpPageAddress)
                                                    : window->guide_file_);
          }
        },
        Qt::QueuedConnection);
  }).detach();
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
  control_as<QLineEdit>(Control::TargetFolderBox)->setText(Q(DefaultTargetFolder(folder)));
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
  if (DroppedPath(event->mimeData()) && control(Control::StartButton)->isEnabled()) {
    event->acceptProposedAction();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const auto path = DroppedPath(event->mimeData());
  if (path && TakeDrop(*path, event->position().toPoint())) event->acceptProposedAction();
}

bool MainWindow::TakeDrop(const std::string& path, QPoint at) {
  if (!control(Control::StartButton)->isEnabled()) return false;
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
  if (!seam_.ChooseWatermarkFont(this, settings_.sy_text_font)) return;
  control_as<QLineEdit>(Control::FontSummaryBox)
      ->setText(Q(FontSummaryText(settings_.sy_text_font)));
  const std::string text =
      TrimSpaces(control_as<QLineEdit>(Control::WatermarkTextBox)->text().toStdString());
  if (!text.empty() && HasNonAscii(text) && !FontShowsChinese(settings_.sy_text_font)) {
    Message(msg::kFontCannotShowChinese, MessageIcon::kWarning);
    control(Control::FontButton)->setFocus();
  }
}

void MainWindow::SetExtraOperations(const ExtraOperations& operations) {
  extras_ = operations;
  ShowOperationsInSight();
}

void MainWindow::ShowOperationsInSight() {
  auto* bar = control_as<QProgressBar>(Control::ProgressBar);
  if (!more_options_action_->isEnabled()) return;  // the bar tells the run
  const QString text = Q(DescribeOperations(extras_));
  bar->setFormat(text);
  bar->setTextVisible(!text.isEmpty());
  bar->setToolTip(text.isEmpty() ? QString() : text + Q("\n单击这里修改"));
  bar->setCursor(text.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == control(Control::ProgressBar) && event->type() == QEvent::MouseButtonRelease &&
      more_options_action_->isEnabled()) {
    MoreOptionsCommand();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::MoreOptionsCommand() {
  int preset_width = 0;
  if (!seam_.ChooseExtraOperations(this, program_folder_, extras_, preset_width)) return;
  // 确定 keeps them: stored at once, not only when a run starts.
  SaveExtraOperations(program_folder_, extras_);
  ShowOperationsInSight();
  if (preset_width > 0) {
    // A preset sets the width switch as well.
    control_as<QCheckBox>(Control::WidthCheck)->setChecked(true);
    control(Control::WidthBox)->setEnabled(true);
    control_as<QLineEdit>(Control::WidthBox)->setText(QString::number(preset_width));
  }
}

void MainWindow::PreviewCommand(Control button) {
  const std::string folder = platform::JoinPath(program_folder_, "temp");
  control(button)->setEnabled(false);
  const auto refused =
      button == Control::TextPreviewButton
          ? PreviewTextWatermark(port(), settings_, ReadInputs(*this), extras_, folder)
          : PreviewPictureWatermark(port(), settings_, ReadInputs(*this), extras_, folder);
  control(button)->setEnabled(true);
  if (refused) control(ControlFor(*refused))->setFocus();
}

void MainWindow::StartCommand() {
  // Stored when a run starts, as config.dat is.
  SaveExtraOperations(program_folder_, extras_);
  RunRequest request;
  request.inputs = ReadInputs(*this);
  request.extras = extras_;
  request.save_settings = [folder = program_folder_](const ProcessingSettings& s) {
    SaveSettings(folder, s);
  };
  run_started_ = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
  // The worker's first call to the window waits for this handler to
  // return, so the lock always comes first.
  if (!StartBatchWorker(port(), settings_, request)) {
    Message("无法创建新线程来处理图片", MessageIcon::kError);
    return;
  }
  LockForRun();
}

bool MainWindow::ShowPreview(const std::string& path, const std::string& title) {
  if (preview_window_ == nullptr) preview_window_ = new PreviewWindow(this);
  return preview_window_->Show(path, title);
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
      "\n\n目前支持处理的图片格式：JPG, PNG, BMP。";
  seam_.ShowMessage(this, "关于", text, MessageIcon::kInformation);
}

bool MainWindow::ExitRule() {
  if (RunActive() &&
      !seam_.AskYesNo(this, msg::kQuestionCaption, "图片正在进行处理，确认要退出吗？")) {
    return false;
  }
  // No half-written output may stay behind.
  platform::RemovePendingTemporaries();
  exit_process_(0);
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  ExitRule();
}

}  // namespace lumivane::ui
