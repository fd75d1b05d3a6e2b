#include "ui/announcement_item.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>

#include "ui/main_window.h"
#include "ui/menu_commands.h"
#include "ui/startup.h"

namespace lumivane::ui {

AnnouncementItem::AnnouncementItem(MainWindow& window, const AnnouncementList& list)
    : QObject(&window), window_(window), rotation_(list) {
  auto* marker = new QLabel(window.menuBar());
  marker->setObjectName("AnnouncementMarker");
  marker->setPixmap(ProgramIcon(101).pixmap(11, 11));
  marker->setContentsMargins(6, 0, 0, 0);
  window.menuBar()->setCornerWidget(marker, Qt::TopLeftCorner);
  marker->show();
  window.SetMenuHandler(kAnnouncementCommand, [this] { Open(); });
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Next(); });
  Step();
}

void AnnouncementItem::Step() {
  window_.announcement_action()->setText(QString::fromStdString(rotation_.CurrentText()));
  timer_.start(rotation_.CurrentWait());
}

void AnnouncementItem::Next() {
  rotation_.Advance();
  Step();
}

void AnnouncementItem::Open() {
  const std::string& target = rotation_.CurrentTarget();
  if (IsOpenableTarget(target)) window_.seam().OpenWithDesktop(target);
}

}  // namespace lumivane::ui
