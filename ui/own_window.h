// The program's own windows beside the main one (the preview, the guide),
// for a system with no program to open what they show.
#ifndef LUMIVANE_UI_OWN_WINDOW_H_
#define LUMIVANE_UI_OWN_WINDOW_H_

#include <QSize>
#include <QWidget>

namespace lumivane::ui {

// Nine tenths of the screen the window's owner is on: the most it takes.
QSize ScreenRoom(const QWidget& window);

// Brings the window up in front, centred on its owner when it first shows;
// Escape closes it, as it closes a dialog.
void ShowOverOwner(QWidget& window);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_OWN_WINDOW_H_
