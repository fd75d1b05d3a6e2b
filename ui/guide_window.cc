#include "ui/guide_window.h"

#include <QFile>
#include <QUrl>
#include <algorithm>

#include "ui/own_window.h"
#include "ui/qt_text.h"

namespace lumivane::ui {

GuideWindow::GuideWindow(QWidget* owner) : QTextBrowser(owner) {
  setWindowFlag(Qt::Window);
  setWindowTitle(Q("使用说明"));
  // Links to the web would lead nowhere here: they stay text.
  setOpenExternalLinks(false);
}

bool GuideWindow::Show(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (path.empty() || !QFile::exists(file)) return false;
  setSource(QUrl::fromLocalFile(file));
  if (document()->isEmpty()) return false;
  const QSize room = ScreenRoom(*this);
  resize(std::min(760, room.width()), std::min(820, room.height()));
  ShowOverOwner(*this);
  return true;
}

}  // namespace lumivane::ui
