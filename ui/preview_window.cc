#include "ui/preview_window.h"

#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/picture/screen_picture.h"
#include "ui/own_window.h"

namespace lumivane::ui {

PreviewWindow::PreviewWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  picture_ = new QLabel;
  picture_->setAlignment(Qt::AlignCenter);
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(picture_);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
}

QSize PreviewWindow::PictureRoom() const {
  // A long page leaves room for its scroll bar.
  const QSize room = ScreenRoom(*this);
  return {room.width() - scroll_->verticalScrollBar()->sizeHint().width(), room.height()};
}

bool PreviewWindow::Show(const std::string& path, const std::string& title) {
  const QSize room = PictureRoom();
  const auto shown = ReadForScreen(path, room.width(), room.height());
  return shown && Show(*shown, title);
}

bool PreviewWindow::Show(const ScreenPicture& shown, const std::string& title) {
  const QSize room = ScreenRoom(*this);
  const int bar = scroll_->verticalScrollBar()->sizeHint().width();
  const QImage image(reinterpret_cast<const uchar*>(shown.pixels.data()), shown.width, shown.height,
                     shown.width * shown.bands,
                     shown.bands == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  // A transparent output shows its transparency on the window's own colour.
  picture_->setPixmap(QPixmap::fromImage(image));
  setWindowTitle(QString::fromStdString(title));
  // A small picture still leaves room for its title (size and bytes) and
  // the title bar's buttons; a tall one its scroll bar.
  const int title_width = fontMetrics().horizontalAdvance(windowTitle()) + 160;
  const bool tall = shown.height > room.height();
  resize(std::min(std::max(shown.width + (tall ? bar : 0), title_width), room.width()),
         std::min(shown.height, room.height()));
  scroll_->verticalScrollBar()->setValue(0);
  ShowOverOwner(*this);
  return true;
}

}  // namespace lumivane::ui
