#include "ui/help_bubble.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>

#include "tests/scripted_ui_seam.h"
#include "ui/control_layout.h"
#include "ui/help_texts.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/more_options_dialog.h"

namespace lumivane {
namespace {

using ::lumivane::testing::ScriptedUiSeam;
using ui::BubbleGeometry;

TEST(BubbleGeometryTest, HeightIsOddAndGrowsWithTheLines) {
  EXPECT_EQ(BubbleGeometry(1, 12, 500, 300, 1024, 740), QRect(340, 316, 326, 37));
  EXPECT_EQ(BubbleGeometry(1, 13, 500, 300, 1024, 740).height(), 39);  // 38 made odd
  EXPECT_EQ(BubbleGeometry(5, 12, 500, 300, 1024, 740).height(), 97);
}

TEST(BubbleGeometryTest, ScreenEdgesMoveTheBubble) {
  EXPECT_EQ(BubbleGeometry(1, 12, 100, 300, 1024, 740).x(), 6);    // left edge
  EXPECT_EQ(BubbleGeometry(1, 12, 900, 300, 1024, 740).x(), 692);  // SW - 332
  EXPECT_EQ(BubbleGeometry(1, 12, 858, 300, 1024, 740).x(), 698);  // 858 + 165 < 1024
  EXPECT_EQ(BubbleGeometry(1, 12, 500, -40, 1024, 740).y(), 6);    // above the top
  QRect low = BubbleGeometry(3, 12, 500, 700, 1024, 740);          // would run off the bottom
  EXPECT_EQ(low.y(), 700 - low.height() - 16);
}

TEST(BubbleGeometryTest, AWideBubbleStaysWhollyOnTheScreen) {
  const QRect wide = BubbleGeometry(2, 12, 1020, 300, 1280, 1000, 473);
  EXPECT_LE(wide.right(), 1279);
  EXPECT_GE(BubbleGeometry(2, 12, 3, 990, 1280, 1000, 900).x(), 0);
  EXPECT_EQ(BubbleGeometry(30, 12, 600, 250, 1280, 600).y(), 0);  // not above the top
}

TEST(HelpTextsTest, GroupBoxesAndTheCaptionHaveNoText) {
  EXPECT_EQ(ui::HelpTextFor(Control::BasicGroupBox), nullptr);
  EXPECT_EQ(ui::HelpTextFor(Control::BasicGroupCaption), nullptr);
  EXPECT_EQ(ui::HelpTextFor(Control::TextGroupBox), nullptr);
  // The font text keeps its trailing blank.
  EXPECT_TRUE(QString::fromUtf8(ui::HelpTextFor(Control::FontButton)).endsWith("字体。 "));
  int with_text = 0;
  for (const auto& place : ui::kControlLayout)
    with_text += ui::HelpTextFor(place.control) != nullptr;
  EXPECT_EQ(with_text, 39);
}

class HelpBubbleTest : public ::testing::Test {
 protected:
  HelpBubbleTest() : window_(seam_, settings_, {}), bubble_(window_) {
    window_.show();
    QApplication::processEvents();
  }
  QPoint CentreOf(Control c) {
    QWidget* w = window_.control(c);
    return w->mapToGlobal(w->rect().center());
  }
  ScriptedUiSeam seam_;
  ProcessingSettings settings_;
  ui::MainWindow window_;
  ui::HelpBubble bubble_;
};

TEST_F(HelpBubbleTest, RequestExplainsTheControlUnderThePointer) {
  window_.control(Control::WidthBox)->setEnabled(false);  // disabled controls are found too
  ASSERT_TRUE(bubble_.HelpRequest(CentreOf(Control::WidthBox)));
  EXPECT_TRUE(bubble_.isVisible());
  EXPECT_EQ(bubble_.text(), QString::fromUtf8(ui::HelpTextFor(Control::WidthCheck)));
  EXPECT_EQ(bubble_.width(), 326);
  EXPECT_EQ(bubble_.height() % 2, 1);
  ASSERT_TRUE(bubble_.HelpRequest(CentreOf(Control::QualityCombo)));
  EXPECT_EQ(bubble_.text(), QString::fromUtf8(ui::HelpTextFor(Control::QualityCombo)));
}

TEST_F(HelpBubbleTest, GroupCheckBoxIsReachedButBareGroupAreasShowNothing) {
  EXPECT_EQ(bubble_.ControlAt(CentreOf(Control::TextWatermarkCheck)), Control::TextWatermarkCheck);
  EXPECT_EQ(bubble_.ControlAt(CentreOf(Control::PictureWatermarkCheck)),
            Control::PictureWatermarkCheck);
  QWidget* group = window_.control(Control::TextGroupBox);
  const QPoint bare = group->mapToGlobal(QPoint(400, 125));  // between the rows, inside the frame
  EXPECT_EQ(bubble_.ControlAt(bare), Control::TextGroupBox);
  EXPECT_FALSE(bubble_.HelpRequest(bare));
  EXPECT_FALSE(bubble_.HelpRequest(CentreOf(Control::BasicGroupCaption)));
  EXPECT_FALSE(bubble_.isVisible());
}

TEST_F(HelpBubbleTest, EveryTextFitsItsBoxWhichKeepsItsSizeWhereItCan) {
  for (const auto& place : ui::kControlLayout) {
    if (ui::HelpTextFor(place.control) == nullptr) continue;
    ASSERT_TRUE(bubble_.HelpRequest(CentreOf(place.control))) << ControlName(place.control);
    int widest = 0;
    for (const QString& line : bubble_.text().split('\n')) {
      widest = std::max(widest, bubble_.fontMetrics().horizontalAdvance(line));
    }
    EXPECT_LE(widest + 16, bubble_.width() - 6) << ControlName(place.control);
    if (widest + 16 <= 320) {
      EXPECT_EQ(bubble_.width(), 326) << ControlName(place.control);
    }
  }
}

// The window on top is the one explained: a modal dialog over the main
// window, the log window; the bubble goes with that window.
TEST_F(HelpBubbleTest, ExplainsTheWindowOnTopAndStaysWithIt) {
  ui::MoreOptionsDialog dialog({}, "", &window_);
  dialog.setModal(true);
  dialog.show();
  dialog.move(window_.control(Control::WatermarkTextBox)->mapToGlobal(QPoint(0, 0)));
  QApplication::processEvents();
  QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  QPushButton* cancel = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
  for (QWidget* w : std::vector<QWidget*>{ok, cancel, dialog.findChild<QComboBox*>()}) {
    ASSERT_TRUE(bubble_.HelpRequest(w->mapToGlobal(w->rect().center())));
    EXPECT_EQ(bubble_.text(), w->whatsThis());
    EXPECT_FALSE(bubble_.text().isEmpty());
    EXPECT_EQ(bubble_.windowHandle()->transientParent(), dialog.windowHandle());
  }
  dialog.hide();
  ui::LogWindow& log = window_.log_window();
  log.AppendLine("x");
  log.move(window_.control(Control::ProgressBar)->mapToGlobal(QPoint(0, -40)));
  QApplication::setActiveWindow(&log);
  ASSERT_TRUE(bubble_.HelpRequest(log.box()->mapToGlobal(log.box()->rect().center())));
  EXPECT_EQ(bubble_.text(), log.box()->whatsThis());
}

// A click on it or elsewhere, Escape, a scroll, the window moved or left, and F1
// where there is nothing to explain all put the bubble away.
TEST_F(HelpBubbleTest, ItGoesAwayWhenTheUserTurnsElsewhere) {
  ASSERT_TRUE(bubble_.HelpRequest(CentreOf(Control::StartButton)));
  QTest::mouseClick(&bubble_, Qt::LeftButton);
  EXPECT_FALSE(bubble_.isVisible());
  QWidget* box = window_.control(Control::SourceFolderBox);
  const std::vector<std::function<void()>> ways = {
      [&] { QTest::keyClick(box, Qt::Key_Escape); },
      [&] { QTest::keyClick(box, Qt::Key_Return); },
      [&] { QTest::mouseClick(box, Qt::LeftButton); },
      [&] { window_.move(window_.pos() + QPoint(20, 10)); },
      [&] {
        QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
      },
      [&] {
        QCursor::setPos(window_.control(Control::TextGroupBox)->mapToGlobal(QPoint(400, 125)));
        QTest::keyClick(box, Qt::Key_F1);
      },
  };
  for (size_t i = 0; i < ways.size(); ++i) {
    ASSERT_TRUE(bubble_.HelpRequest(CentreOf(Control::StartButton)));
    ways[i]();
    QApplication::processEvents();
    EXPECT_FALSE(bubble_.isVisible()) << i;
  }
  ASSERT_TRUE(bubble_.HelpRequest(CentreOf(Control::StartButton)));
  QApplication::setActiveWindow(&bubble_);
  QApplication::setActiveWindow(&window_);
  QApplication::processEvents();
  EXPECT_FALSE(bubble_.isVisible());
}

TEST_F(HelpBubbleTest, DrawingHasItsBoxesTextAndDottedSeeThroughShadow) {
  ASSERT_TRUE(bubble_.HelpRequest(CentreOf(Control::SubfoldersCheck)));
  QImage image(bubble_.size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  bubble_.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  const int h = image.height();
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));                // outer outline
  EXPECT_EQ(image.pixelColor(1, 1), QColor(0xC0, 0xC0, 0xC0));         // inner border
  EXPECT_EQ(image.pixelColor(300, h - 12), QColor(0xFE, 0xFF, 0xED));  // pale yellow
  EXPECT_EQ(image.pixelColor(6, h - 6), QColor(Qt::black));            // bottom shadow, even row
  EXPECT_EQ(qAlpha(image.pixel(7, h - 6)), 0);                         // ... with gaps
  EXPECT_EQ(image.pixelColor(5, h - 5), QColor(Qt::black));            // odd row shifted
  EXPECT_EQ(image.pixelColor(320, 7), QColor(Qt::black));              // right shadow
  EXPECT_EQ(qAlpha(image.pixel(320, 6)), 0);
  EXPECT_EQ(qAlpha(image.pixel(322, 2)), 0);  // the corner stays clear
  int dark_text = 0;
  for (int x = 8; x < 300; ++x) dark_text += qGray(image.pixel(x, 9 + 6)) < 128;
  EXPECT_GT(dark_text, 5);
}

TEST_F(HelpBubbleTest, F1ExplainsWhatIsUnderThePointerNotTheFocus) {
  window_.control(Control::SourceFolderBox)->setFocus();
  QCursor::setPos(CentreOf(Control::ProgressBar));
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(window_.control(Control::SourceFolderBox), &f1);
  EXPECT_EQ(bubble_.text(), QString::fromUtf8(ui::HelpTextFor(Control::ProgressBar)));
}

}  // namespace
}  // namespace lumivane
