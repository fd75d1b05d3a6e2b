#include "ui/own_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>

namespace lumivane::ui {

QSize ScreenRoom(const QWidget& window) {
  const QWidget* owner = window.parentWidget();
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  return screen->availableGeometry().size() * 9 / 10;
}

void ShowOverOwner(QWidget& window) {
  if (window.findChild<QShortcut*>(QString(), Qt::FindDirectChildrenOnly) == nullptr) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
  }
  if (window.parentWidget() != nullptr && !window.isVisible()) {
    window.move(window.parentWidget()->geometry().center() - window.rect().center());
  }
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace lumivane::ui
