#include "ui/announcement_item.h"

#include <QAction>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QToolTip>

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
  // The bar shows no tool tips of its items: it is asked here.
  window.menuBar()->installEventFilter(this);
  Step();
}

bool AnnouncementItem::eventFilter(QObject* watched, QEvent* event) {
  // Only the type is looked at first: the bar also sees events while the
  // window is being taken down.
  if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
  QAction* item = window_.announcement_action();
  if (watched == window_.menuBar() && item != nullptr) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QRect place = window_.menuBar()->actionGeometry(item);
    if (place.contains(help->pos())) {
      QToolTip::showText(help->globalPos(), item->toolTip(), window_.menuBar(), place);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

int AnnouncementItem::Room() const {
  // The bar's width less its corner widgets (the marker, the menus on the
  // right) and the item's own padding.
  QMenuBar* bar = window_.menuBar();
  int room = window_.centralWidget()->width() - 2 * kItemPadding;
  for (Qt::Corner corner : {Qt::TopLeftCorner, Qt::TopRightCorner}) {
    if (QWidget* w = bar->cornerWidget(corner)) room -= w->sizeHint().width();
  }
  return room;
}

void AnnouncementItem::Step() {
  const QString text = QString::fromStdString(rotation_.CurrentText());
  QAction* item = window_.announcement_action();
  // A text longer than the room would vanish behind the bar's overflow.
  item->setText(window_.menuBar()->fontMetrics().elidedText(text, Qt::ElideRight, Room()));
  // A tool tip open over the item follows it to the next text.
  if (QToolTip::isVisible() && QToolTip::text() == item->toolTip() && !text.isEmpty()) {
    const QRect place = window_.menuBar()->actionGeometry(item);
    QToolTip::showText(window_.menuBar()->mapToGlobal(place.center()), text, window_.menuBar(),
                       place);
  }
  item->setToolTip(text);
  item->setStatusTip(text);
  timer_.start(rotation_.CurrentWait());
}

void AnnouncementItem::Next() {
  rotation_.Advance();
  Step();
}

void AnnouncementItem::Open() {
  const std::string& target = rotation_.CurrentTarget();
  if (IsOpenableTarget(target)) window_.OpenPage(target);
}

}  // namespace lumivane::ui
