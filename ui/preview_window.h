// The program's own preview window, for a system without a picture viewer:
// the picture as wide as the screen allows (a tall page scrolled), its
// size and bytes in the title.
#ifndef LUMIVANE_UI_PREVIEW_WINDOW_H_
#define LUMIVANE_UI_PREVIEW_WINDOW_H_

#include <QLabel>
#include <QScrollArea>
#include <QWidget>
#include <string>

#include "engine/picture/screen_picture.h"

namespace lumivane::ui {

class PreviewWindow : public QWidget {
 public:
  explicit PreviewWindow(QWidget* owner);
  // The room a picture is read for (ReadForScreen): the screen's, less a
  // scroll bar.
  QSize PictureRoom() const;
  // Shows the picture file; false when it cannot be read.
  bool Show(const std::string& path, const std::string& title);
  // Shows a picture read for the screen elsewhere (off the window's thread).
  bool Show(const ScreenPicture& shown, const std::string& title);
  const QLabel* picture() const { return picture_; }

 private:
  QLabel* picture_;
  QScrollArea* scroll_;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_PREVIEW_WINDOW_H_
