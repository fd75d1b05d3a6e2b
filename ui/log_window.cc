#include "ui/log_window.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace lumivane::ui {

LogWindow::LogWindow(QWidget* owner) : QWidget(owner, Qt::Tool) {
  setWindowTitle("处理日志");
  resize(460, 168);
  box_ = new QPlainTextEdit(this);
  box_->setObjectName("LogBox");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(box_);
}

void LogWindow::AppendLine(const std::string& line) {
  QTextCursor cursor(box_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QString::fromUtf8(line.data(), static_cast<int>(line.size())) + "\n");
  box_->verticalScrollBar()->setValue(box_->verticalScrollBar()->maximum());
  if (!isVisible()) show();
}

void LogWindow::closeEvent(QCloseEvent* event) {
  hide();
  event->ignore();
}

}  // namespace lumivane::ui
