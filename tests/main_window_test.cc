#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <chrono>
#include <thread>

#include "engine/picture/colour.h"
#include "engine/picture/font_resolver.h"
#include "engine/picture/size_rule.h"
#include "engine/run/basic_rows.h"
#include "engine/run/batch_run.h"
#include "engine/run/folder_scan.h"
#include "engine/run/messages.h"
#include "settings/options_file.h"
#include "settings/presets_file.h"
#include "settings/program_folder.h"
#include "tests/picture_files.h"
#include "tests/scripted_ui_seam.h"
#include "tests/temp_dir.h"
#include "ui/announcement_item.h"
#include "ui/chinese_file_dialog.h"
#include "ui/control_layout.h"
#include "ui/font_colour_dialog.h"
#include "ui/font_text.h"
#include "ui/guide_window.h"
#include "ui/log_window.h"
#include "ui/menu_commands.h"
#include "ui/more_options_dialog.h"
#include "ui/preview_showing.h"
#include "ui/preview_window.h"
#include "ui/progress_text.h"
#include "ui/start_folder.h"
#include "ui/startup.h"
#include "ui/window_inputs.h"
#include "ui/window_preview.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;
using ui::ControlKind;
using ui::MainWindow;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    MainWindow::Options options;
    options.program_folder = dir_.MakeFolder("program");
    options.exit_process = [this](int code) { exit_codes_.push_back(code); };
    window_ = std::make_unique<MainWindow>(seam_, settings_, options);
  }
  ~MainWindowTest() override { WaitForRunEnd(); }
  template <typename T>
  T* W(Control c) {
    return window_->control_as<T>(c);
  }
  bool Enabled(Control c) { return window_->control(c)->isEnabled(); }
  void Click(Control c) { W<QAbstractButton>(c)->click(); }
  void Choose(Control combo, int index) {
    W<QComboBox>(combo)->setCurrentIndex(index);
    emit W<QComboBox>(combo)->activated(index);
  }
  void WaitForRunEnd() {
    QElapsedTimer timer;
    timer.start();
    while (window_->RunGoing() && timer.elapsed() < 60000)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    QApplication::processEvents();
  }
  std::vector<std::string> EnabledControls() {
    std::vector<std::string> names;
    for (const auto& place : ui::kControlLayout) {
      if (Enabled(place.control)) names.push_back(ControlName(place.control));
    }
    return names;
  }

  TempDir dir_;
  ScriptedUiSeam seam_;
  ProcessingSettings settings_;
  std::vector<int> exit_codes_;
  std::unique_ptr<MainWindow> window_;
};

// The layout as this platform's fonts draw it: no text cut, no two
// controls of a row touching, each within its group's frame, the buttons'
// column straight.
TEST_F(MainWindowTest, NoControlCutsItsTextOrTouchesAnother) {
  EXPECT_EQ(window_->control(Control::OpacityCombo)->geometry().right(),
            window_->control(Control::TextPreviewButton)->geometry().right());
  std::vector<QWidget*> groups, others;
  for (const auto& place : ui::kControlLayout) {
    QWidget* w = window_->control(place.control);
    (place.kind == ControlKind::kGroupBox ? groups : others).push_back(w);
    if (qobject_cast<QComboBox*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w)) {
      EXPECT_LE(w->sizeHint().width(), w->width()) << ControlName(place.control) << " is cut";
    }
  }
  // What is drawn: a label's or a check box's text, not all its room (a
  // full-width colon's right half is blank).
  auto drawn = [](QWidget* w) {
    QRect g = w->geometry();
    const auto* label = qobject_cast<QLabel*>(w);
    const auto* check = qobject_cast<QCheckBox*>(w);
    if (label == nullptr && check == nullptr) return g;
    g.setWidth(std::min(g.width(), w->sizeHint().width()));
    const QString colon = QString::fromUtf8("：");
    if ((label ? label->text() : check->text()).endsWith(colon))
      g.setWidth(g.width() - w->fontMetrics().horizontalAdvance(colon) / 2);
    return g;
  };
  for (QWidget* a : others) {
    const QRect g = drawn(a);
    for (QWidget* group : groups) {
      const QRect frame = group->geometry();
      if (frame.contains(g.center()) && g.top() >= frame.top()) {  // not its caption
        EXPECT_TRUE(frame.adjusted(3, 3, -3, -3).contains(g))
            << a->objectName().toStdString() << " " << g.x() << "," << g.y() << " " << g.width()
            << "x" << g.height() << " in " << frame.x() << "," << frame.y() << " " << frame.width()
            << "x" << frame.height();
      }
    }
    for (QWidget* b : others) {
      if (a == b || a->objectName() == "GroupCaptionCover") continue;
      EXPECT_FALSE(g.adjusted(-2, 0, 2, 0).intersects(drawn(b)))
          << a->objectName().toStdString() << " touches " << b->objectName().toStdString();
    }
  }
  EXPECT_EQ(window_->centralWidget()->size(), QSize(681, 486));
}

// The rows name their controls: each name is one of the window's, and an
// input goes into its control and comes back out unchanged.
TEST_F(MainWindowTest, EveryRowsInputsGoThroughItsControls) {
  for (const BasicRow& row : BasicRows()) {
    for (const WindowInput& shown : row.window) {
      EXPECT_TRUE(ControlNamed(shown.control)) << row.option << ": " << shown.control;
    }
  }
  UserInputs in = ui::ReadInputs(*window_);
  in.width_on = in.rotation_on = in.text_mark = true;
  in.quality_on = in.picture_mark = false;
  in.width = "750", in.text = "店铺", in.picture = "/logo.png";
  in.quality = 3, in.rotation = 2, in.opacity = 4;
  in.text_place = {1, 2, "5", "6"};
  in.picture_place = {2, 0, "7", "8"};
  ui::ShowInputs(*window_, in, ui::Shown::kValues);
  ui::ShowInputs(*window_, in, ui::Shown::kSwitches);
  const UserInputs back = ui::ReadInputs(*window_);
  EXPECT_EQ(std::tie(back.width_on, back.width, back.quality_on, back.quality, back.rotation_on,
                     back.rotation, back.text_mark, back.text, back.opacity, back.picture_mark,
                     back.picture),
            std::tie(in.width_on, in.width, in.quality_on, in.quality, in.rotation_on, in.rotation,
                     in.text_mark, in.text, in.opacity, in.picture_mark, in.picture));
  for (const auto& [got, put] : {std::pair{back.text_place, in.text_place},
                                 std::pair{back.picture_place, in.picture_place}}) {
    EXPECT_EQ(std::tie(got.horizontal, got.vertical, got.horizontal_margin, got.vertical_margin),
              std::tie(put.horizontal, put.vertical, put.horizontal_margin, put.vertical_margin));
  }
}

TEST_F(MainWindowTest, TabMovesThroughTheControlsInCreationOrder) {
  std::vector<std::string> expected;
  for (const auto& place : ui::kControlLayout) {
    if (window_->control(place.control)->focusPolicy() & Qt::TabFocus) {
      expected.push_back(ControlName(place.control));
    }
  }
  std::vector<std::string> chain;
  QWidget* w = window_->control(Control::SourceFolderBox);
  do {
    if (w->focusPolicy() & Qt::TabFocus && !w->objectName().isEmpty() &&
        w->parentWidget() == window_->centralWidget()) {
      chain.push_back(w->objectName().toStdString());
    }
    w = w->nextInFocusChain();
  } while (w != window_->control(Control::SourceFolderBox));
  EXPECT_EQ(chain, expected);
  EXPECT_GT(expected.size(), 25u);
}

TEST_F(MainWindowTest, DropDownListsHoldTheirChoicesAndDefaultSelections) {
  auto items = [this](Control c) {
    std::vector<std::string> v;
    for (int i = 0; i < W<QComboBox>(c)->count(); ++i)
      v.push_back(W<QComboBox>(c)->itemText(i).toStdString());
    return v;
  };
  EXPECT_EQ(items(Control::QualityCombo).size(), 11u);
  EXPECT_EQ(W<QComboBox>(Control::QualityCombo)->currentText().toStdString(), "95 - 高");
  EXPECT_EQ(W<QComboBox>(Control::RotationCombo)->currentText().toStdString(), " 90度");
  EXPECT_EQ(W<QComboBox>(Control::OpacityCombo)->currentText().toStdString(), "100%");
  EXPECT_EQ(items(Control::TextHorizontalPositionCombo),
            (std::vector<std::string>{"水平距中", "左边距", "右边距"}));
  EXPECT_EQ(W<QComboBox>(Control::PictureHorizontalPositionCombo)->currentText().toStdString(),
            "右边距");
  EXPECT_EQ(W<QComboBox>(Control::TextVerticalPositionCombo)->currentText().toStdString(),
            "下边距");
}

TEST_F(MainWindowTest, SettingsAreCopiedInAndTheSwitchesStartAsTheUserExpects) {
  settings_.width = 800;
  settings_.quanlity = 5;
  settings_.sy_text = "店铺";
  settings_.sy_text_w_direction = 0;
  settings_.sy_text_font = {"Arial", 26, 0, 1, 1};
  settings_.sy_image = "/x/sy.png";
  settings_.sy_image_h_value = 7;
  window_->CopySettingsIntoControls();
  window_->SetInitialStates();
  EXPECT_EQ(W<QLineEdit>(Control::WidthBox)->text(), "800");
  EXPECT_EQ(W<QComboBox>(Control::QualityCombo)->currentIndex(), 5);
  EXPECT_EQ(W<QLineEdit>(Control::WatermarkTextBox)->text().toStdString(), "店铺");
  EXPECT_EQ(W<QLineEdit>(Control::FontSummaryBox)->text().toStdString(),
            "字体:Arial, 大小:26, 颜色:#000000, 粗斜体");
  EXPECT_EQ(W<QLineEdit>(Control::PictureVerticalMarginBox)->text(), "7");
  EXPECT_FALSE(Enabled(Control::WidthBox));
  EXPECT_FALSE(Enabled(Control::RotationCombo));
  EXPECT_TRUE(W<QCheckBox>(Control::QualityCheck)->isChecked());
  EXPECT_TRUE(Enabled(Control::QualityCombo));
  EXPECT_FALSE(Enabled(Control::WatermarkTextBox));
  EXPECT_FALSE(Enabled(Control::PicturePreviewButton));
  EXPECT_TRUE(Enabled(Control::TextWatermarkCheck));
  EXPECT_TRUE(Enabled(Control::PictureWatermarkCheck));
}

TEST_F(MainWindowTest, GroupSwitchFollowsThePositionListsForTheMarginBoxes) {
  window_->SetInitialStates();
  Choose(Control::TextHorizontalPositionCombo, 0);
  Click(Control::TextWatermarkCheck);
  EXPECT_TRUE(Enabled(Control::WatermarkTextBox));
  EXPECT_TRUE(Enabled(Control::TextPreviewButton));
  EXPECT_FALSE(Enabled(Control::TextHorizontalMarginBox));
  EXPECT_TRUE(Enabled(Control::TextVerticalMarginBox));
  // The summary box is white only while the text watermark is on.
  EXPECT_EQ(W<QLineEdit>(Control::FontSummaryBox)->palette().color(QPalette::Base),
            QColor(Qt::white));
  Click(Control::TextWatermarkCheck);
  EXPECT_FALSE(Enabled(Control::TextVerticalMarginBox));
  EXPECT_NE(W<QLineEdit>(Control::FontSummaryBox)->palette().color(QPalette::Base),
            QColor(Qt::white));
  Choose(Control::TextVerticalPositionCombo, 0);
  Click(Control::TextWatermarkCheck);
  EXPECT_FALSE(Enabled(Control::TextVerticalMarginBox));

  Click(Control::PictureWatermarkCheck);
  Choose(Control::PictureHorizontalPositionCombo, 0);
  EXPECT_FALSE(Enabled(Control::PictureHorizontalMarginBox));
  Choose(Control::PictureHorizontalPositionCombo, 1);
  EXPECT_TRUE(Enabled(Control::PictureHorizontalMarginBox));
  EXPECT_EQ(W<QLineEdit>(Control::PictureHorizontalMarginBox)->cursorPosition(), 2);
}

TEST_F(MainWindowTest, BasicSwitchesEnableTheirControls) {
  window_->SetInitialStates();
  Click(Control::WidthCheck);
  EXPECT_TRUE(Enabled(Control::WidthBox));
  Click(Control::QualityCheck);
  EXPECT_FALSE(Enabled(Control::QualityCombo));
  Click(Control::RotationCheck);
  EXPECT_TRUE(Enabled(Control::RotationCombo));
  Click(Control::RotationCheck);
  EXPECT_FALSE(Enabled(Control::RotationCombo));
}

TEST_F(MainWindowTest, FontSummaryGreysWithEveryOtherBoxDuringARun) {
  auto base = [this] {
    return W<QLineEdit>(Control::FontSummaryBox)->palette().color(QPalette::Base);
  };
  window_->TextGroupSwitch(true);
  EXPECT_EQ(base(), QColor(Qt::white));
  window_->LockForRun();
  EXPECT_EQ(base(), window_->palette().color(QPalette::Window));
  window_->UnlockAfterRun();
}

TEST_F(MainWindowTest, StartButtonLocksTheWindowForTheRunAndUnlocksAfterIt) {
  window_->SetInitialStates();
  ExtraOperations extras;
  extras.max_kb = 500;
  extras.tiled_text = true;  // the text mark is off
  extras.mark_width_percent = 20;
  window_->SetExtraOperations(extras);
  auto log = [this] { return window_->log_window().box()->toPlainText().toStdString(); };
  Click(Control::StartButton);  // no source: refused before the run starts
  WaitForRunEnd();
  EXPECT_EQ(log(), "");
  std::string src = dir_.MakeFolder("src");
  MakePictureFile(src + "/a.jpg", 80, 60, "blue", "JPEG");
  MakePictureFile(src + "/b.png", 80, 60, "none", "PNG");
  W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(src));
  W<QLineEdit>(Control::TargetFolderBox)->setText(QString::fromStdString(dir_ / "out"));
  MakePictureFile(dir_ / "mark.png", 20, 10, "black", "PNG");
  W<QLineEdit>(Control::WatermarkPictureBox)->setText(QString::fromStdString(dir_ / "mark.png"));
  Click(Control::PictureWatermarkCheck);
  std::vector<std::string> locked_during_question;
  seam_.on_question = [&](const std::string&) {
    locked_during_question = EnabledControls();
    if (window_->more_options_action()->isEnabled()) locked_during_question.push_back("更多");
  };
  Click(Control::StartButton);
  // The start button stays, to stop the run.
  const std::vector<std::string> locked = {"ProgressBar", "StartButton"};
  EXPECT_EQ(EnabledControls(), locked);
  EXPECT_EQ(W<QPushButton>(Control::StartButton)->text().toStdString(), "停止");
  WaitForRunEnd();
  EXPECT_EQ(locked_during_question, locked);
  EXPECT_EQ(W<QPushButton>(Control::StartButton)->text().toStdString(), "开始处理");
  // Under the time the run started.
  EXPECT_TRUE(
      log().starts_with("———— " + QDate::currentDate().toString("yyyy-MM-dd").toStdString()))
      << log();
  EXPECT_TRUE(
      log().ends_with(" 开始处理 ————\n处理：质量 95，水印图片 mark.png\n更多处理选项：≤ 500 "
                      "KB，水印图片宽 20%\n每张图片的结果记在 " +
                      (dir_ / "out/处理报告.html") + "\n"))
      << log();
  EXPECT_TRUE(FileExists(dir_ / "out/a.jpg"));
  EXPECT_TRUE(FileExists(dir_ / "out/b.png.jpg"));
  ASSERT_FALSE(seam_.shown.empty());
  EXPECT_EQ(seam_.shown.back(),
            "ask 完成|处理完成 2 个图片，是否要打开目标文件夹查看处理后的图片？\n"
            "每张图片的结果记在 " +
                (dir_ / "out/处理报告.html"));
  // Unlocked: the groups follow their check boxes again.
  EXPECT_TRUE(Enabled(Control::StartButton));
  EXPECT_FALSE(Enabled(Control::WatermarkTextBox));
  EXPECT_TRUE(Enabled(Control::WatermarkPictureBox));
  EXPECT_FALSE(Enabled(Control::WidthBox));
  EXPECT_EQ(W<QProgressBar>(Control::ProgressBar)->value(), 0);
  EXPECT_TRUE(FileExists(dir_ / "program/config.dat"));  // kept as the checks took it
  // Yes to 完成 where nothing opens folders: the window says where they are.
  seam_.answers = {true, true};  // replace the outputs, then open them
  seam_.open_result = 31;
  Click(Control::StartButton);
  WaitForRunEnd();
  EXPECT_EQ(seam_.opened, std::vector<std::string>{dir_ / "out"});
  EXPECT_EQ(seam_.shown.back(),
            "提示|这台电脑上没有能打开文件夹的程序。处理后的图片在：" + (dir_ / "out"));
}

TEST_F(MainWindowTest, ExitAsksOnlyWhileARunIsGoing) {
  std::string src = dir_.MakeFolder("src");
  MakePictureFile(src + "/a.jpg", 40, 30, "blue", "JPEG");
  dir_.WriteFile("out/a.jpg", "old");
  W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(src));
  W<QLineEdit>(Control::TargetFolderBox)->setText(QString::fromStdString(dir_ / "out"));
  bool answered_exit = false;
  seam_.on_question = [&](const std::string&) {
    if (answered_exit) return;
    answered_exit = true;
    // The overwrite question is open: the run is going. Quit, answer No.
    seam_.answers.push_front(false);
    EXPECT_FALSE(window_->ExitRule());
  };
  seam_.answers = {false};
  Click(Control::StartButton);
  WaitForRunEnd();
  EXPECT_TRUE(exit_codes_.empty());
  EXPECT_NE(std::find(seam_.shown.begin(), seam_.shown.end(),
                      "ask 询问|图片正在进行处理，确认要退出吗？"),
            seam_.shown.end());
  seam_.shown.clear();
  window_->close();
  EXPECT_EQ(exit_codes_, std::vector<int>{0});
  EXPECT_TRUE(seam_.shown.empty());

  // Quitting mid-run, answered Yes: the run stops and its report lists
  // every picture before the process ends.
  for (const char* name : {"b.jpg", "c.jpg", "d.jpg", "e.jpg"}) {
    MakePictureFile(src + "/" + name, 400, 300, "red", "JPEG");
  }
  W<QLineEdit>(Control::TargetFolderBox)->setText(QString::fromStdString(dir_ / "fresh"));
  seam_.on_question = nullptr;
  seam_.answers = {true};
  Click(Control::StartButton);
  EXPECT_TRUE(window_->ExitRule());
  EXPECT_FALSE(window_->RunGoing());
  EXPECT_EQ(exit_codes_, (std::vector<int>{0, 0}));
  const std::string report = ReadWholeFile(dir_ / "fresh/处理报告.csv");
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) {
    EXPECT_NE(report.find(name), std::string::npos) << name;
  }
}

// A preview is made off the window's thread: the click returns at once,
// the controls held and the window answering; a second click starts none.
// A preview goes to the picture viewer, else a browser, else - nothing
// here opens pictures - the program's own window; a failure in words.
TEST(PreviewShowingTest, EachWayIsTriedInTurnAndAFailureIsTold) {
  struct Case {
    int viewer, browser;
    bool own_window;
    std::string tried, told;
  } cases[] = {
      {42, 42, false, "viewer", ""},
      {31, 42, false, "viewer browser", ""},
      {31, 2, true, "viewer browser own", ""},
      {31, 31, true, "viewer browser own", ""},
      {31, 2, false, "viewer browser own",
       "无法进行效果预览：这台电脑上没有打开图片的程序，本程序也没能显示 p.jpg"},
      {31, 5, true, "viewer browser",
       "无法进行效果预览：这台电脑上没有打开图片的程序，本程序也没能显示 p.jpg"},
      {5, 42, true, "viewer", "无法进行效果预览：系统没能打开 p.jpg"},
  };
  for (const Case& c : cases) {
    std::string tried;
    auto note = [&](const char* way) { tried += (tried.empty() ? "" : " ") + std::string(way); };
    const ui::PreviewShowers showers{
        [&](const std::string&) { return note("viewer"), c.viewer; },
        [&](const std::string&) { return note("browser"), c.browser; },
        [&](const std::string&, const std::string& title) {
          EXPECT_EQ(title, "效果预览 100×80，1 KB");
          return note("own"), c.own_window;
        },
    };
    EXPECT_EQ(ui::ShowMadePreview(showers, "p.jpg", "效果预览 100×80，1 KB"), c.told) << tried;
    EXPECT_EQ(tried, c.tried) << c.viewer << " " << c.browser;
  }
}

TEST_F(MainWindowTest, APreviewIsMadeWhileTheWindowAnswers) {
  window_->SetInitialStates();
  std::string src = dir_.MakeFolder("src");
  MakePictureFile(src + "/a.jpg", 3000, 2000, "red", "JPEG");
  W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(src));
  Click(Control::TextWatermarkCheck);
  W<QLineEdit>(Control::WatermarkTextBox)->setText("shop");
  Click(Control::TextPreviewButton);
  EXPECT_TRUE(window_->preview().going());
  EXPECT_FALSE(Enabled(Control::TextPreviewButton));
  EXPECT_FALSE(Enabled(Control::StartButton));
  Click(Control::TextPreviewButton);  // held: starts no second one
  QElapsedTimer timer;
  timer.start();
  while (window_->preview().going() && timer.elapsed() < 30000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_FALSE(window_->preview().going());
  EXPECT_EQ(seam_.opened.size(), 1u);
  EXPECT_TRUE(Enabled(Control::TextPreviewButton));
  EXPECT_TRUE(Enabled(Control::StartButton));
  EXPECT_FALSE(Enabled(Control::PicturePreviewButton));  // as it was
  // Escape while it is made: it is not shown, and the window is as before.
  seam_.opened.clear();
  Click(Control::TextPreviewButton);
  ASSERT_TRUE(window_->preview().going());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &escape);
  timer.restart();
  while (window_->preview().going() && timer.elapsed() < 30000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_TRUE(seam_.opened.empty());
  EXPECT_FALSE(window_->preview().cancelled());
  EXPECT_TRUE(Enabled(Control::TextPreviewButton));
}

// A run that ends while its stop question is open takes the question with
// it: 完成 is never asked over a question about a run that is over.
TEST_F(MainWindowTest, TheStopQuestionGoesWhenTheRunEnds) {
  std::string src = dir_.MakeFolder("src");
  MakePictureFile(src + "/a.jpg", 400, 300, "red", "JPEG");
  dir_.WriteFile("out/a.jpg", "old");
  W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(src));
  W<QLineEdit>(Control::TargetFolderBox)->setText(QString::fromStdString(dir_ / "out"));
  seam_.on_question = [&](const std::string& text) {
    if (text.starts_with("确认要停止")) {
      // The run's end reaches the window while the user decides.
      window_->port().AskYesNo(Question::kOpenTarget, "完成", "done");
    } else if (text == msg::kOverwriteQuestion) {
      Click(Control::StartButton);  // asked while the run waits on its overwrite question
    }
  };
  seam_.answers = {false, false, true};  // 完成, the stop question, the overwrite question
  Click(Control::StartButton);
  WaitForRunEnd();
  const auto& shown = seam_.shown;
  const auto stop = std::find_if(shown.begin(), shown.end(), [](const std::string& s) {
    return s.find("确认要停止") != std::string::npos;
  });
  ASSERT_NE(stop, shown.end());
  ASSERT_LT(stop + 2, shown.end());
  EXPECT_EQ(*(stop + 1), "close question");
  EXPECT_EQ(*(stop + 2), "ask 完成|done");
  // Closed, it stopped nothing: the run went on and wrote its picture.
  EXPECT_NE(ReadWholeFile(dir_ / "out/a.jpg"), "old");
  EXPECT_TRUE(Enabled(Control::StartButton));
}

// 文件 → 监视文件夹: the run goes on watching its source, named on the
// options bar; a picture copied in later is made without a question, and
// 停止 ends the watch.
TEST_F(MainWindowTest, AWatchedFolderProcessesWhatArrivesUntilStopped) {
  const std::string src = dir_.MakeFolder("src");
  MakePictureFile(src + "/a.jpg", 400, 300, "red", "JPEG");
  W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(src));
  W<QLineEdit>(Control::TargetFolderBox)->setText(QString::fromStdString(dir_ / "out"));
  window_->watch_action()->setChecked(true);
  auto* bar = W<QProgressBar>(Control::ProgressBar);
  EXPECT_EQ(bar->format().toStdString(), "监视文件夹");
  Click(Control::StartButton);
  auto wait_for = [](const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20000)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  };
  ASSERT_TRUE(wait_for([&] { return bar->format().startsWith(QString::fromUtf8("监视中")); }));
  EXPECT_FALSE(window_->watch_action()->isEnabled());
  MakePictureFile(dir_ / "b.jpg", 400, 300, "blue", "JPEG");
  std::filesystem::rename(dir_ / "b.jpg", src + "/b.jpg");
  EXPECT_TRUE(wait_for([&] { return FileExists(dir_ / "out/b.jpg"); }));
  EXPECT_TRUE(window_->RunGoing());
  seam_.answers = {true};  // to stop
  Click(Control::StartButton);
  WaitForRunEnd();
  EXPECT_FALSE(window_->RunGoing());
  // Asked only whether to stop: never to open the outputs.
  EXPECT_EQ(std::count_if(seam_.shown.begin(), seam_.shown.end(),
                          [](const std::string& s) { return s.starts_with("ask "); }),
            1);
}

// The start button, as 停止, stops a run after one question: the pictures
// in hand are finished, the rest listed as not reached.
TEST_F(MainWindowTest, TheStartButtonStopsARun) {
  std::string src = dir_.MakeFolder("src");
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
    MakePictureFile(src + "/" + name, 400, 300, "red", "JPEG");
  }
  dir_.WriteFile("out/a.jpg", "old");
  W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(src));
  W<QLineEdit>(Control::TargetFolderBox)->setText(QString::fromStdString(dir_ / "out"));
  bool stopped = false;
  seam_.on_question = [&](const std::string&) {
    if (stopped) return;
    stopped = true;
    // The run waits on its overwrite question: stop it, then let it go on.
    seam_.answers.push_front(true);
    Click(Control::StartButton);
    EXPECT_FALSE(Enabled(Control::StartButton));
  };
  seam_.answers = {true};
  Click(Control::StartButton);
  WaitForRunEnd();
  EXPECT_NE(std::find(seam_.shown.begin(), seam_.shown.end(),
                      "ask 询问|确认要停止处理吗？正在处理的图片会先处理完，"
                      "处理报告里列出没有处理的图片。"),
            seam_.shown.end());
  const std::string report = ReadWholeFile(dir_ / "out/处理报告.csv");
  size_t not_reached = 0;
  for (size_t at = 0; (at = report.find("未处理（中途停止）", at)) != std::string::npos; ++at) {
    ++not_reached;
  }
  EXPECT_EQ(not_reached, 3u) << report;
  EXPECT_TRUE(Enabled(Control::StartButton));
  // Started again, it finishes the rest without asking to overwrite.
  seam_.shown.clear();
  seam_.answers = {false};
  Click(Control::StartButton);
  WaitForRunEnd();
  EXPECT_EQ(seam_.shown, std::vector<std::string>{
                             "ask 完成|处理完成 3 个图片，是否要打开目标文件夹查看处理后的图片？\n"
                             "每张图片的结果记在 " +
                             (dir_ / "out/处理报告.html")});
  const std::string resumed = ReadWholeFile(dir_ / "out/处理报告.csv");
  EXPECT_NE(resumed.find("已完成"), std::string::npos) << resumed;
}

// "lumivane FOLDER": one folder becomes the source; anything else is told.
TEST(StartFolderTest, OneFolderIsTakenAndAnythingElseIsTold) {
  TempDir dir;
  const std::string pics = dir.MakeFolder("pics");
  dir.WriteFile("a.jpg", "x");
  EXPECT_EQ(ui::StartFolderOf({}).folder, "");
  EXPECT_EQ(ui::StartFolderOf({pics}).folder, pics);
  EXPECT_EQ(ui::StartFolderOf({pics}).problem, "");
  EXPECT_NE(ui::StartFolderOf({dir / "a.jpg"}).problem.find("不是文件夹"), std::string::npos);
  EXPECT_NE(ui::StartFolderOf({dir / "none"}).problem.find("找不到文件夹"), std::string::npos);
  EXPECT_EQ(ui::StartFolderOf({pics, dir / "上新"}).problem,
            "一次只能打开一个图片文件夹。这次给了 2 个（pics、上新），都没有打开，请只选一个。");
}

TEST_F(MainWindowTest, ChoosingASourceProposesAFreeTargetFolder) {
  std::string src = dir_.MakeFolder("pics");
  dir_.MakeFolder("pics_处理后");
  dir_.MakeFolder("pics_处理后2");
  dir_.WriteFile("pics_处理后3", "a file does not take the name");
  seam_.folder = src;
  Click(Control::SourceFolderBrowseButton);
  EXPECT_EQ(W<QLineEdit>(Control::SourceFolderBox)->text().toStdString(), src);
  EXPECT_EQ(W<QLineEdit>(Control::TargetFolderBox)->text().toStdString(), src + "_处理后3");
  W<QLineEdit>(Control::TargetFolderBox)->setText("edited");
  Click(Control::SourceFolderBrowseButton);  // the same folder again changes nothing
  EXPECT_EQ(W<QLineEdit>(Control::TargetFolderBox)->text(), "edited");
  EXPECT_EQ(seam_.shown.back(), "browse 选择图片源文件夹：|" + src);
  // Typed or pasted, a source moves a proposed target along, never a typed one.
  auto type_source = [this](const std::string& text) {
    W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(text));
    emit W<QLineEdit>(Control::SourceFolderBox)->textEdited(QString::fromStdString(text));
  };
  const std::string other = dir_.MakeFolder("shoes");
  type_source(other);
  EXPECT_EQ(W<QLineEdit>(Control::TargetFolderBox)->text(), "edited");
  W<QLineEdit>(Control::TargetFolderBox)->clear();
  type_source(other);
  EXPECT_EQ(W<QLineEdit>(Control::TargetFolderBox)->text().toStdString(), other + "_处理后");
  type_source(other + "/missing");
  EXPECT_EQ(W<QLineEdit>(Control::TargetFolderBox)->text(), "");
  type_source(src);
  EXPECT_EQ(W<QLineEdit>(Control::TargetFolderBox)->text().toStdString(), src + "_处理后3");
}

TEST_F(MainWindowTest, DroppedFolderBecomesTheSourceAndDroppedPictureTheWatermark) {
  window_->SetInitialStates();
  const std::string photos = dir_.MakeFolder("photos");
  MakePictureFile(dir_ / "logo.png", 20, 10, "black", "PNG");
  auto drop = [this](const std::string& path, Control on) {
    return window_->TakeDrop(path, window_->control(on)->mapTo(window_.get(), QPoint(5, 5)));
  };
  auto text = [this](Control c) { return W<QLineEdit>(c)->text().toStdString(); };
  drop(photos, Control::StartButton);
  EXPECT_EQ(text(Control::SourceFolderBox), photos);
  EXPECT_EQ(text(Control::TargetFolderBox), photos + "_处理后");
  drop(dir_ / "logo.png", Control::SourceFolderBox);  // a file is no source folder
  EXPECT_EQ(text(Control::SourceFolderBox), photos);
  Click(Control::PictureWatermarkCheck);
  drop(dir_ / "logo.png", Control::WatermarkPictureBox);
  EXPECT_EQ(text(Control::WatermarkPictureBox), dir_ / "logo.png");
  // A file that is no picture is not taken, and the log says why.
  EXPECT_FALSE(drop(dir_.WriteFile("notes.txt", "x"), Control::WatermarkPictureBox));
  EXPECT_EQ(text(Control::WatermarkPictureBox), dir_ / "logo.png");
  EXPECT_NE(window_->log_window().box()->toPlainText().toStdString().find("notes.txt"),
            std::string::npos);
}

// 确定 stores the operations at once; between runs the progress bar names
// them, and a click on it opens the dialog.
TEST_F(MainWindowTest, MoreOptionsAreStoredAtOnceAndStayInSight) {
  window_->SetInitialStates();
  auto* bar = W<QProgressBar>(Control::ProgressBar);
  EXPECT_FALSE(bar->isTextVisible());
  ExtraOperations o;
  o.square = true;
  o.max_kb = 500;
  seam_.operations = o;
  window_->MenuCommand(ui::kMoreOptionsCommand);
  EXPECT_EQ(LoadExtraOperations(dir_ / "program"), o);
  EXPECT_TRUE(bar->isTextVisible());
  EXPECT_EQ(bar->format().toStdString(), "更多处理选项：方形，≤ 500 KB");
  seam_.operations = ExtraOperations{};
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent click(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bar, &click);
  }
  EXPECT_EQ(window_->extra_operations(), ExtraOperations{});
  EXPECT_FALSE(bar->isTextVisible());
  window_->SetExtraOperations(o);  // as the start-up reads options.dat
  EXPECT_TRUE(bar->isTextVisible());
}

// Without a picture viewer the preview shows in a window of its own,
// whole on the screen, titled with its size.
TEST_F(MainWindowTest, PreviewWithoutAViewerShowsInTheProgramsOwnWindow) {
  MakePictureFile(dir_ / "big.png", 5000, 400, "blue", "PNG");
  ASSERT_TRUE(window_->preview().Show(dir_ / "big.png", "效果预览 5000×400，9 KB"));
  const ui::PreviewWindow* shown = window_->preview().own_window();
  EXPECT_EQ(shown->windowTitle().toStdString(), "效果预览 5000×400，9 KB");
  const QSize room = window_->screen()->availableGeometry().size();
  EXPECT_LE(shown->picture()->pixmap().width(), room.width());
  EXPECT_NEAR(shown->picture()->pixmap().height() * 12.5, shown->picture()->pixmap().width(), 13);
  EXPECT_FALSE(window_->preview().Show(dir_ / "missing.png", "x"));
  // Any format written, however tall: a WebP whole, a long page to scroll.
  MakePictureFile(dir_ / "photo.webp", 2400, 1800, "red", "WEBP");
  ASSERT_TRUE(window_->preview().Show(dir_ / "photo.webp", "webp"));
  EXPECT_NEAR(shown->picture()->pixmap().height() * 4 / 3.0, shown->picture()->pixmap().width(), 2);
  EXPECT_LE(shown->picture()->pixmap().height(), room.height());
  MakePictureFile(dir_ / "page.png", 800, 55200, "blue", "PNG");
  ASSERT_TRUE(window_->preview().Show(dir_ / "page.png", "page"));
  EXPECT_GT(shown->picture()->pixmap().height(), room.height());
  EXPECT_LE(shown->height(), room.height());
  EXPECT_NEAR(shown->picture()->pixmap().height(), shown->picture()->pixmap().width() * 69, 69);
}

// 如何使用 opens the shipped guide where the help page cannot be reached
// (the vendor's host is not on the internet here).
TEST(HowToUseTest, TheShippedGuideWhereThePageCannotBeReached) {
  TempDir dir;
  ScriptedUiSeam seam;
  ProcessingSettings settings;
  MainWindow::Options options;
  options.guide_file = dir.WriteFile("guide.html", "<html><body><h1>如何使用</h1></body></html>");
  MainWindow window(seam, settings, options);
  window.MenuCommand(ui::kHowToUseCommand);
  QElapsedTimer waited;
  waited.start();
  while (seam.opened.empty() && waited.elapsed() < 15000) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  EXPECT_EQ(seam.opened, std::vector<std::string>{dir / "guide.html"});

  // Nothing here opens a page: the guide in a window of its own, and the
  // home page's address in a message.
  seam.open_result = 31;
  window.ShowGuide(false);
  ASSERT_NE(window.guide_window(), nullptr);
  EXPECT_TRUE(window.guide_window()->isVisible());
  window.MenuCommand(ui::kHomePageCommand);
  ASSERT_FALSE(seam.shown.empty());
  EXPECT_NE(seam.shown.back().find("没有能打开网页的程序。网址是：http"), std::string::npos)
      << seam.shown.back();
}

// The guide is found wherever the program is: its program folder first
// (one outside the build tree), else beside the installed program.
TEST(HowToUseTest, TheGuideIsFoundWhereverTheProgramIs) {
  TempDir dir;
  const std::string folder = dir.MakeFolder("elsewhere/program");
  const std::string installed = dir.MakeFolder("usr/bin") + "/lumivane";
  EXPECT_EQ(ui::GuideFile(installed, folder), "");
  dir.MakeFolder("usr/share/doc/lumivane");
  dir.WriteFile("usr/share/doc/lumivane/guide.html", "doc");
  EXPECT_EQ(ui::GuideFile(installed, folder), dir / "usr/bin/../share/doc/lumivane/guide.html");
  dir.MakeFolder("usr/share/lumivane");
  dir.WriteFile("usr/share/lumivane/guide.html", "shared");
  EXPECT_EQ(ui::GuideFile(installed, folder), dir / "usr/bin/../share/lumivane/guide.html");
  dir.WriteFile("elsewhere/program/guide.html", "mine");
  EXPECT_EQ(ui::GuideFile(installed, folder), folder + "/guide.html");
}

// A preset sets the width too, the bar names it, and after a restart it is
// in effect again; the bar says when its width is no longer the window's.
TEST_F(MainWindowTest, APresetSetsTheWidthAndStaysInEffectAfterARestart) {
  window_->SetInitialStates();
  const Preset thumb = Presets()[2];
  seam_.operations = thumb.operations;
  seam_.preset = thumb;
  window_->MenuCommand(ui::kMoreOptionsCommand);
  EXPECT_EQ(window_->extra_operations(), thumb.operations);
  auto* bar = W<QProgressBar>(Control::ProgressBar);
  const std::string named = "预设：缩略图 · 宽 400 · ≤ 100 KB";
  EXPECT_EQ(bar->format().toStdString(), named);

  MainWindow::Options options;
  options.program_folder = dir_ / "program";
  MainWindow again(seam_, settings_, options);
  again.SetInitialStates();
  again.SetExtraOperations(LoadExtraOperations(options.program_folder));
  again.RestorePreset(LoadChosenPresetName(options.program_folder));
  EXPECT_TRUE(again.control_as<QCheckBox>(Control::WidthCheck)->isChecked());
  EXPECT_EQ(again.control_as<QLineEdit>(Control::WidthBox)->text().toStdString(), "400");
  auto* restarted_bar = again.control_as<QProgressBar>(Control::ProgressBar);
  EXPECT_EQ(restarted_bar->format().toStdString(), named);
  again.control_as<QCheckBox>(Control::WidthCheck)->click();
  EXPECT_EQ(restarted_bar->format().toStdString(),
            "预设：缩略图 · 宽 400（图片宽已改动，不按预设） · ≤ 100 KB");
  // Operations changed by hand are no preset's any more.
  ExtraOperations o = thumb.operations;
  o.square = true;
  seam_.operations = o;
  seam_.preset.reset();
  window_->MenuCommand(ui::kMoreOptionsCommand);
  EXPECT_EQ(bar->format().toStdString(), "更多处理选项：方形，≤ 100 KB");
  EXPECT_EQ(LoadChosenPresetName(dir_ / "program"), "");
}

// Presets ticked to be made at once: named on the options bar, each made
// into its folder by the next run with the dialog's own choices beside it,
// and ticked again after a restart.
TEST_F(MainWindowTest, PresetsTickedTogetherAreMadeByOneRunAndStayTicked) {
  window_->SetInitialStates();
  ExtraOperations shown = Presets()[0].operations;  // the dialog on 主图, sharpening asked
  shown.sharpen = 50;
  seam_.operations = shown;
  seam_.outputs = {Presets()[0], Presets()[2]};
  window_->MenuCommand(ui::kMoreOptionsCommand);
  const std::string told = "同时做出：主图、缩略图 · 锐化 50";
  EXPECT_EQ(W<QProgressBar>(Control::ProgressBar)->toolTip().toStdString(),
            told + "\n单击这里修改");
  const std::string src = dir_.MakeFolder("src");
  MakePictureFile(src + "/a.jpg", 1600, 1200, "blue", "JPEG");
  W<QLineEdit>(Control::SourceFolderBox)->setText(QString::fromStdString(src));
  W<QLineEdit>(Control::TargetFolderBox)->setText(QString::fromStdString(dir_ / "out"));
  Click(Control::StartButton);
  WaitForRunEnd();
  EXPECT_EQ(QImageReader(QString::fromStdString(dir_ / "out/主图/a.jpg")).size(), QSize(800, 800));
  EXPECT_EQ(QImageReader(QString::fromStdString(dir_ / "out/缩略图/a.jpg")).size(),
            QSize(400, 300));

  MainWindow::Options options;
  options.program_folder = dir_ / "program";
  MainWindow again(seam_, settings_, options);
  std::string preset;
  std::vector<std::string> outputs;
  again.SetExtraOperations(LoadExtraOperations(options.program_folder, &preset, &outputs));
  again.RestorePreset(preset, outputs);
  EXPECT_EQ(again.control_as<QProgressBar>(Control::ProgressBar)->toolTip().toStdString(),
            told + "\n单击这里修改");
}

TEST(MoreOptionsDialogTest, PresetsFillTheSwitchesAndEveryControlExplainsItself) {
  ui::MoreOptionsDialog dialog(ExtraOperations{}, "", nullptr);
  EXPECT_EQ(dialog.Operations(), ExtraOperations{});
  dialog.ChoosePreset(2);
  EXPECT_EQ(dialog.Operations(), Presets()[1].operations);
  EXPECT_EQ(dialog.PresetWidth(), 750);
  // Opened again, the preset in effect shows as chosen.
  ui::MoreOptionsDialog again(Presets()[1].operations, "", nullptr);
  again.ShowChosen(Presets()[1].name);
  ASSERT_TRUE(again.ChosenPreset());
  EXPECT_EQ(again.ChosenPreset()->width, 750);
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QSpinBox*>(w) || qobject_cast<QComboBox*>(w)) {
      EXPECT_FALSE(w->whatsThis().isEmpty()) << w->metaObject()->className();
    }
    auto* text = qobject_cast<QLineEdit*>(w);  // a size or a pattern, not a colour
    if (text != nullptr && text->validator() == nullptr && !qobject_cast<QSpinBox*>(w->parent())) {
      EXPECT_TRUE(text->placeholderText().startsWith(QString::fromUtf8("如 ")));
    }
  }
  // A switch that tunes another waits for it: 编号从 for 重命名为.
  auto box = [&](const char* label) {
    for (QCheckBox* c : dialog.findChildren<QCheckBox*>()) {
      if (c->text() == QString::fromUtf8(label)) return c;
    }
    return static_cast<QCheckBox*>(nullptr);
  };
  dialog.ChoosePreset(0);
  EXPECT_FALSE(box("编号从")->isEnabled());
  box("重命名为")->setChecked(true);
  EXPECT_TRUE(box("编号从")->isEnabled());
  // 改名清单's file is chosen beside its box, once its switch is on.
  QPushButton* choose = nullptr;
  for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
    if (b->text() == QString::fromUtf8("选择…")) choose = b;
  }
  ASSERT_NE(choose, nullptr);
  EXPECT_FALSE(choose->isEnabled());
  box("改名清单")->setChecked(true);
  EXPECT_TRUE(choose->isEnabled());
  // 渐进式 waits for a JPEG output; a preset edited shows as 自定义 at once.
  dialog.ChoosePreset(2);
  EXPECT_TRUE(box("JPG 保存为渐进式")->isEnabled());
  box("保存为")->setChecked(true);
  QComboBox* format = nullptr;
  for (QComboBox* c : dialog.findChildren<QComboBox*>()) {
    if (c->findText("WebP") >= 0) format = c;
  }
  ASSERT_NE(format, nullptr);
  format->setCurrentIndex(format->findText("WebP"));
  EXPECT_FALSE(box("JPG 保存为渐进式")->isEnabled());
  EXPECT_EQ(dialog.PresetWidth(), 0);  // 自定义
  EXPECT_FALSE(dialog.ChosenPreset());
  // All rows in sight where the screen is tall enough; on a short one
  // (768 with a panel) the rows scroll and the buttons stay on it.
  dialog.show();
  ASSERT_GE(dialog.screen()->availableGeometry().height(), 800);
  EXPECT_EQ(dialog.findChild<QScrollArea*>()->verticalScrollBar()->maximum(), 0);
  EXPECT_LE(dialog.minimumSizeHint().height(), 400);
}

// A preset saved in the dialog is listed there again and found by the
// command line by the start of its name.
TEST(MoreOptionsDialogTest, SavedPresetIsListedAndFoundByItsName) {
  TempDir dir;
  const std::string program = dir.MakeFolder("program");
  ExtraOperations start;
  start.border = 6;
  start.sharpen = 40;
  {
    ui::MoreOptionsDialog dialog(start, program, nullptr);
    dialog.ChoosePreset(1);  // the main picture's width, its operations
    std::string error;
    EXPECT_FALSE(dialog.SaveAsPreset(" [x] ", error));
    EXPECT_FALSE(dialog.SaveAsPreset("主图", error));  // a built-in's: never found
    EXPECT_NE(error.find("内置预设"), std::string::npos);
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(dialog.SaveAsPreset(" 白底方图 ", error)) << error;
  }
  ui::MoreOptionsDialog again(start, program, nullptr);
  again.ChoosePreset(static_cast<int>(Presets().size()) + 1);  // after the built-in ones
  EXPECT_EQ(again.Operations(), Presets()[0].operations);
  EXPECT_EQ(again.PresetWidth(), 800);
  const auto found = FindPreset("白底", LoadUserPresets(program));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "白底方图");
  EXPECT_EQ(found->width, 800);
}

// 确定 takes nothing the run would refuse, and says so in the run's words.
TEST(MoreOptionsDialogTest, OkRefusesWhatTheRunRefuses) {
  ExtraOperations two;
  two.height = 300, two.long_side = 1000;
  ui::MoreOptionsDialog dialog(two, "", nullptr);
  std::string said;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      said = box->text().toStdString();
      box->accept();
    }
  });
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  EXPECT_EQ(said, OperationsConflict(two));
  EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(MainWindowTest, FontCommandUpdatesTheSummaryAndWarnsAboutChinese) {
  W<QLineEdit>(Control::WatermarkTextBox)->setText("宝贝");
  seam_.font = FontChoice{"Liberation Serif", 30, 0x0008FF, 0, 1};
  Click(Control::FontButton);
  EXPECT_EQ(settings_.sy_text_font, *seam_.font);
  EXPECT_EQ(W<QLineEdit>(Control::FontSummaryBox)->text().toStdString(),
            "字体:Liberation Serif, 大小:30, 颜色:#ff0800, 粗体");
  EXPECT_EQ(seam_.shown,
            std::vector<std::string>{
                "提示|" +
                ChineseFontMessage(
                    "当前选择的字体无法正常显示水印文字里的中文，请重新选择一个字体。", "宝贝")});
  seam_.shown.clear();
  seam_.font.reset();  // cancelled: nothing changes
  Click(Control::FontButton);
  EXPECT_TRUE(seam_.shown.empty());
  EXPECT_EQ(settings_.sy_text_font.sy_text_fontName, "Liberation Serif");
}

TEST_F(MainWindowTest, LogLinesGoAfterWhatTheUserTyped) {
  ui::LogWindow& log = window_->log_window();
  EXPECT_FALSE(log.isVisible());
  window_->show();
  log.box()->setPlainText("typed");
  window_->port().AppendLogLine("读取 /a.jpg 出错");
  // It opens beside the main window, never over the source folder's label.
  QWidget* label = window_->control(Control::SourceFolderLabel);
  EXPECT_FALSE(
      log.frameGeometry().intersects(QRect(label->mapToGlobal(QPoint(0, 0)), label->size())))
      << log.frameGeometry().x() << "," << log.frameGeometry().y();
  window_->port().AppendLogLine("second");
  EXPECT_TRUE(log.isVisible());
  EXPECT_EQ(log.box()->toPlainText().toStdString(), "typed读取 /a.jpg 出错\nsecond\n");
  log.close();
  EXPECT_FALSE(log.isVisible());
  window_->port().AppendLogLine("third");
  EXPECT_TRUE(log.isVisible());
}

TEST(MenuBarTest, AnnouncementItemStandsAloneAtTheLeftAndOpensOnlyWebTargets) {
  ScriptedUiSeam seam;
  ProcessingSettings settings;
  MainWindow::Options options;
  options.with_announcements = true;
  MainWindow window(seam, settings, options);
  AnnouncementList list;
  list.texts = {"新品上架", "second"};
  list.targets = {"http://shop.example.com/new", "/usr/bin/xterm"};
  list.text_bytes = {8, 6};
  auto* item = new ui::AnnouncementItem(window, list);
  ASSERT_NE(window.announcement_action(), nullptr);
  EXPECT_EQ(window.menuBar()->actions().size(), 1);
  EXPECT_EQ(window.announcement_action()->text().toStdString(), "新品上架");
  auto* right = window.findChild<QMenuBar*>("RightMenuBar");
  ASSERT_NE(right, nullptr);
  std::vector<std::string> right_items;
  for (QAction* a : right->actions()) right_items.push_back(a->text().toStdString());
  EXPECT_EQ(right_items, (std::vector<std::string>{"文件(&F)", "帮助(&H)", "?"}));
  window.announcement_action()->trigger();
  EXPECT_EQ(seam.opened, std::vector<std::string>{"http://shop.example.com/new"});
  item->Next();
  EXPECT_EQ(window.announcement_action()->text().toStdString(), "second");
  window.announcement_action()->trigger();  // not a web address: ignored
  EXPECT_EQ(seam.opened.size(), 1u);
  item->Next();
  EXPECT_EQ(item->rotation().position(), 0);
  // A long text is cut to the room there is, whole in its tool tip.
  std::string long_text;
  for (int i = 0; i < 10; ++i) long_text += "新品上架了";  // 50 characters
  list.texts[0] = long_text;
  item->Step();
  const QString shown = window.announcement_action()->text();
  EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
  EXPECT_LE(window.menuBar()->fontMetrics().horizontalAdvance(shown), item->Room());
  EXPECT_EQ(window.announcement_action()->toolTip().toStdString(), long_text);
  EXPECT_EQ(window.announcement_action()->statusTip().toStdString(), long_text);
  // Hovering the item shows that tool tip (the bar itself shows none).
  window.show();
  QApplication::processEvents();
  const QRect place = window.menuBar()->actionGeometry(window.announcement_action());
  QHelpEvent hover(QEvent::ToolTip, place.center(), window.menuBar()->mapToGlobal(place.center()));
  QApplication::sendEvent(window.menuBar(), &hover);
  EXPECT_EQ(QToolTip::text().toStdString(), long_text);
  item->Next();  // the open tool tip follows the item
  EXPECT_EQ(QToolTip::text().toStdString(), "second");
}

TEST(MenuBarTest, WithoutAnnouncementsFileAndHelpStandAtTheLeft) {
  ScriptedUiSeam seam;
  ProcessingSettings settings;
  MainWindow window(seam, settings, {});
  std::vector<std::string> left;
  for (QAction* a : window.menuBar()->actions()) left.push_back(a->text().toStdString());
  EXPECT_EQ(left, (std::vector<std::string>{"文件(&F)", "帮助(&H)"}));
  EXPECT_EQ(window.announcement_action(), nullptr);
}

TEST_F(MainWindowTest, TimeLeftLeavesOutTheWaitOnAQuestion) {
  window_->ShowPictureCount(0, 8);
  seam_.on_question = [](const std::string&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  };
  seam_.answers = {true};
  window_->port().AskYesNo(Question::kOverwrite, "询问", "overwrite?");
  window_->ShowPictureCount(4, 8);
  // The pace of the four pictures, not of the answer: well under a second of
  // work, too little to tell the time left.
  EXPECT_EQ(W<QProgressBar>(Control::ProgressBar)->format().toStdString(), "已处理 4 / 8");
}

TEST(ProgressTextTest, PicturesDoneOfAllAndTheTimeLeft) {
  EXPECT_EQ(ui::PictureProgressText(12, 60, 2.0), "已处理 12 / 60 · 剩余约 0:08");
  EXPECT_EQ(ui::PictureProgressText(1, 100, 1.5), "已处理 1 / 100 · 剩余约 2:29");
  EXPECT_EQ(ui::PictureProgressText(0, 60, 0), "已处理 0 / 60");
  EXPECT_EQ(ui::PictureProgressText(1, 16, 0.01), "已处理 1 / 16");  // an unreadable first file
}

TEST(TranslationTest, QtsOwnButtonsSpeakChinese) {
  ui::InstallChineseTranslations();
  QMessageBox box(QMessageBox::Question, "询问", "?", QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QString::fromUtf8("是")))
      << box.button(QMessageBox::Yes)->text().toStdString();
  EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QString::fromUtf8("否")));
  // Dates and sizes too, whatever the environment's locale.
  EXPECT_EQ(QLocale().language(), QLocale::Chinese);
  EXPECT_FALSE(QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat).contains("Dec"));
}

TEST(ChineseFileDialogTest, SizesDatesAndFolderTypesInChinese) {
  TempDir dir;
  dir.MakeFolder("sub");
  dir.WriteFile("a.png", std::string(3000, 'x'));
  QFileSystemModel files;
  ui::ChineseFileColumns columns;
  columns.setSourceModel(&files);
  const QModelIndex root =
      columns.mapFromSource(files.setRootPath(QString::fromStdString(dir.path())));
  QElapsedTimer waited;
  waited.start();
  while (columns.rowCount(root) < 2 && waited.elapsed() < 5000) QApplication::processEvents();
  ASSERT_EQ(columns.rowCount(root), 2);
  for (int row = 0; row < 2; ++row) {
    const QString name = columns.index(row, 0, root).data().toString();
    const QString size = columns.index(row, 1, root).data().toString();
    const QString type = columns.index(row, 2, root).data().toString();
    const QString date = columns.index(row, 3, root).data().toString();
    EXPECT_FALSE(size.contains("KiB") || date.contains("Dec"))
        << size.toStdString() << date.toStdString();
    if (name == "sub") {
      EXPECT_EQ(type, QString::fromUtf8("文件夹"));
    }
    if (name == "a.png") {
      EXPECT_TRUE(size.startsWith("2.9 ")) << size.toStdString();
    }
  }
  // Choosers open where the box's value is, else in the pictures folder or
  // home, never in the program's own folder; the type column is whole, and
  // the watermark picture's list has what the reader takes.
  const QString here = QString::fromStdString(dir.path());
  EXPECT_EQ(ui::DialogStartFolder(dir / "a.png"), here);
  EXPECT_EQ(ui::DialogStartFolder(dir / "sub"), here + "/sub");
  const QString fallback = ui::DialogStartFolder("");
  EXPECT_TRUE(fallback == QDir::homePath() ||
              fallback == QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
      << fallback.toStdString();
  std::unique_ptr<QFileDialog> dialog(ui::NewChineseFileDialog(nullptr, "t", here));
  EXPECT_EQ(dialog->findChild<QTreeView*>()->header()->sectionResizeMode(2),
            QHeaderView::ResizeToContents);
  for (const char* pattern : {"*.webp", "*.BMP", "*.tif", "*.png"}) {
    EXPECT_TRUE(ui::WatermarkPictureFilter().section(";;", 0, 0).contains(pattern)) << pattern;
  }
  EXPECT_TRUE(ui::IsWatermarkPictureName("logo.WebP"));
  EXPECT_FALSE(ui::IsWatermarkPictureName("notes.txt"));
}

TEST(FontDialogTest, KeepsTheUsersNameShowsTheWholeSampleAndChineseFacesInChinese) {
  FontChoice start{"Arial", 26, 0, 0, 0};
  ui::FontColourDialog dialog(start, nullptr);
  EXPECT_EQ(dialog.Choice().sy_text_fontName, "Arial");  // not the face standing in for it
  EXPECT_EQ(dialog.family_box()->currentText().toStdString(), "Arial");
  dialog.findChild<QSpinBox*>()->setValue(kMaxFontSize);
  EXPECT_GE(dialog.sample()->minimumHeight(), QFontMetrics(dialog.sample()->font()).height());
  EXPECT_EQ(dialog.family_box()->sampleTextForFont("WenQuanYi Zen Hei"),
            QString::fromUtf8("中文字体示例"));
}

TEST(FontTextTest, ColourTextAndSummarySuffixes) {
  EXPECT_EQ(HtmlColorText(0x000008FF), "#ff0800");
  EXPECT_EQ(HtmlColorText(0x00AB000C), "#0c00ab");
  FontChoice f{"Arial", 26, 0, 0, 0};
  EXPECT_EQ(ui::FontSummaryText(f), "字体:Arial, 大小:26, 颜色:#000000");
  f.sy_text_isItalic = 1;
  EXPECT_EQ(ui::FontSummaryText(f), "字体:Arial, 大小:26, 颜色:#000000, 斜体");
}

}  // namespace
}  // namespace lumivane
