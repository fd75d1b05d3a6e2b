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
  if (!isVisible()) show();
}

void LogWindow::closeEvent(QCloseEvent* event) {
  hide();
  event->ignore();
}

}  // namespace lumivane::ui
