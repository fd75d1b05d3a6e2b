#include "ui/preview_window.h"

#include <QImageReader>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/own_window.h"

namespace lumivane::ui {

PreviewWindow::PreviewWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  picture_ = new QLabel(this);
  picture_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(picture_);
}

bool PreviewWindow::Show(const std::string& path, const std::string& title) {
  QImageReader reader(QString::fromStdString(path));
  const QImage image = reader.read();
  if (image.isNull()) return false;
  // Whole on the screen, never enlarged; a transparent output shows its
  // transparency on the window's own colour.
  const QSize room = ScreenRoom(*this);
  QPixmap pixmap = QPixmap::fromImage(image);
  if (pixmap.width() > room.width() || pixmap.height() > room.height()) {
    pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  picture_->setPixmap(pixmap);
  setWindowTitle(QString::fromStdString(title));
  // A small picture still leaves room for its title (size and bytes) and
  // the title bar's buttons.
  const int title_width = fontMetrics().horizontalAdvance(windowTitle()) + 160;
  resize(std::max(pixmap.width(), std::min(title_width, room.width())), pixmap.height());
  ShowOverOwner(*this);
  return true;
}

}  // namespace lumivane::ui
