// The announcement item on the menu bar: its text follows the rotation,
// the marker icon stands just left of it, and choosing it opens the
// target of the text shown at that moment.
#ifndef LUMIVANE_UI_ANNOUNCEMENT_ITEM_H_
#define LUMIVANE_UI_ANNOUNCEMENT_ITEM_H_

#include <QObject>
#include <QTimer>

#include "announce/announcement_list.h"
#include "announce/rotation.h"

namespace lumivane::ui {

class MainWindow;

class AnnouncementItem : public QObject {
 public:
  // `list` must outlive the item and hold at least one announcement.
  AnnouncementItem(MainWindow& window, const AnnouncementList& list);
  // Opens the current target when it is a web address.
  void Open();
  const AnnouncementRotation& rotation() const { return rotation_; }
  // Shows the current text and waits the time it is due.
  void Step();
  // The rotation's next step (what the timer does when the wait is over).
  void Next();
  // Width the item's text may take.
  int Room() const;

 protected:
  // Shows the whole text as the item's tool tip.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kItemPadding = 12;
  MainWindow& window_;
  AnnouncementRotation rotation_;
  QTimer timer_;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_ANNOUNCEMENT_ITEM_H_
