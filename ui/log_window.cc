#include "ui/log_window.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

namespace lumivane::ui {

LogWindow::LogWindow(QWidget* owner) : QWidget(owner, Qt::Tool) {
  setWindowTitle("处理日志");
  resize(460, 168);
  box_ = new QPlainTextEdit(this);
  box_->setObjectName("LogBox");
  box_->setWhatsThis(QString::fromUtf8(
      "处理日志：读取或写入出错的图片、未能添加的水印和其他需要注意的事项都记在这里。\n"
      "可以选中并复制其中的文字；关闭本窗口不会清空日志，下次有新记录时它会再次打开。"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(box_);
}

void LogWindow::AppendLine(const std::string& line) {
  QTextCursor cursor(box_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QString::fromUtf8(line.data(), static_cast<int>(line.size())) + "\n");
  box_->verticalScrollBar()->setValue(box_->verticalScrollBar()->maximum());
  if (isVisible()) return;
  if (!placed_) PlaceBesideOwner();
  show();
}

void LogWindow::PlaceBesideOwner() {
  placed_ = true;  // where the user moves it, it stays
  QWidget* owner = parentWidget();
  if (owner == nullptr || owner->screen() == nullptr) return;
  // Beside the main window rather than over its controls: to its right,
  // below, to its left or above it, the first that covers little more of
  // it than the best (on a small screen each covers some: its labels on
  // the left are the last to hide).
  const QRect screen = owner->screen()->availableGeometry();
  const QRect main = owner->frameGeometry();
  // Not shown yet, it has no frame: the main window's stands in.
  const QSize size = this->size() + (main.size() - owner->size());
  const QPoint candidates[] = {
      {main.right() + 1, main.top()},
      {main.right() + 1 - size.width(), main.bottom() + 1},
      {main.left() - size.width(), main.top()},
      {main.right() + 1 - size.width(), main.top() - size.height()},
  };
  std::vector<std::pair<QPoint, long long>> placed;
  long long least = -1;
  for (QPoint at : candidates) {
    // On the screen, its top left first where the screen is the smaller.
    at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - size.width())));
    at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - size.height())));
    const QRect covered = QRect(at, size).intersected(main);
    const long long area = covered.isEmpty() ? 0 : 1LL * covered.width() * covered.height();
    placed.emplace_back(at, area);
    if (least < 0 || area < least) least = area;
  }
  for (const auto& [at, area] : placed) {
    if (area * 4 <= least * 5) return move(at);
  }
}

void LogWindow::closeEvent(QCloseEvent* event) {
  hide();
  event->ignore();
}

}  // namespace lumivane::ui
