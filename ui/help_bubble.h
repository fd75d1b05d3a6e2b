// The context help: F1, or a click after the "?" item, explains the
// control under the mouse pointer in a drawn bubble next to the pointer.
#ifndef LUMIVANE_UI_HELP_BUBBLE_H_
#define LUMIVANE_UI_HELP_BUBBLE_H_

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>
#include <optional>

#include "ui/controls.h"

namespace lumivane::ui {

class MainWindow;

// Where the bubble goes for a text of `lines` lines of `line_height`
// pixels, with the pointer at (px, py) on a screen of sw x sh. The box is
// 320 wide, or `box_width` where the text needs more.
QRect BubbleGeometry(int lines, int line_height, int px, int py, int sw, int sh,
                     int box_width = 320);

class HelpBubble : public QWidget {
 public:
  // Hidden until the first help request; installs F1 and the "?" mode.
  explicit HelpBubble(MainWindow& window);
  ~HelpBubble() override;

  // The control under a screen position, as the help request sees it.
  std::optional<Control> ControlAt(const QPoint& global) const;
  // Explains the control under `global`; false when it has no explanation.
  bool HelpRequest(const QPoint& global);
  // Over `over`, a window of the program (the main window when none).
  void ShowText(const QString& text, const QPoint& pointer, QWidget* over = nullptr);
  const QString& text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The program's window at a screen position, the topmost where several
  // lie; none where there is none (or only the bubble).
  QWidget* WindowAt(const QPoint& global) const;

  MainWindow& window_;
  QString text_;
  int line_height_ = 0;
  // What the screen showed behind the bubble: without a compositor a
  // see-through window shows black, so the shadow's gaps show this.
  QPixmap backdrop_;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_HELP_BUBBLE_H_
