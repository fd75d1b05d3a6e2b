#include "ui/control_building.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "ui/control_layout.h"
#include "ui/window_inputs.h"

namespace lumivane::ui {
namespace {

// One control as the layout describes it, its height set where the kind
// decides it (a list's height in the layout is that of its open list).
QWidget* NewControl(const ControlPlace& place, QWidget* parent, int& height) {
  const QString text = QString::fromUtf8(place.text);
  QWidget* w = nullptr;
  height = place.height;
  switch (place.kind) {
    case ControlKind::kLabel:
    case ControlKind::kPlainLabel: {
      auto* label = new QLabel(text, parent);
      label->setAutoFillBackground(place.kind == ControlKind::kPlainLabel);  // covers a caption
      // Text at the top of its rectangle: level with the text of the box beside it.
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      w = label;
      break;
    }
    case ControlKind::kEdit:
    case ControlKind::kReadOnlyEdit: {
      auto* edit = new QLineEdit(text, parent);
      edit->setReadOnly(place.kind == ControlKind::kReadOnlyEdit);
      w = edit;
      break;
    }
    case ControlKind::kPushButton:
      w = new QPushButton(text, parent);
      break;
    case ControlKind::kCheckBox: {
      auto* box = new QCheckBox(text, parent);
      box->setAutoFillBackground(true);  // the group check boxes cover their group's caption
      w = box;
      break;
    }
    case ControlKind::kGroupBox: {
      // The caption is shown by the label or check box laid over it.
      auto* group = new QGroupBox(parent);
      group->setAccessibleName(text);
      w = group;
      break;
    }
    case ControlKind::kDropDownList: {
      auto* combo = new QComboBox(parent);
      combo->setMaxVisibleItems(std::max(1, (place.height - 21) / 18));
      height = 21;
      w = combo;
      break;
    }
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      w = bar;
      break;
    }
  }
  return w;
}

// The typed box before a label moved left keeps a gap to it.
void KeepClearOf(const Controls& controls, const QWidget& label) {
  // A typed box that now reaches the label gives up the room: its few
  // digits still show.
  constexpr int kGap = 5, kNarrowest = 36;
  for (QWidget* box : controls) {
    const QRect b = box->geometry();
    if (!qobject_cast<QLineEdit*>(box) || b.right() < label.x() - kGap - 20 ||
        b.right() >= label.geometry().right() || b.bottom() <= label.y() ||
        b.top() >= label.geometry().bottom()) {
      continue;
    }
    const int room = label.x() - kGap - b.x();
    if (room < b.width()) box->resize(std::max(room, kNarrowest), b.height());
  }
}

// A text that would be cut widens its control.
void WidenWhatWouldClip(const Controls& controls) {
  // This platform's fonts and list arrows take more room than the layout's
  // own: a text that would be cut widens its control to the right, no more;
  // one that ends at the buttons' edge widens to the left instead, taking
  // the label it follows along, so the column's edge stays straight.
  const int edge = controls[static_cast<size_t>(Control::TextPreviewButton)]->geometry().right();
  for (QWidget* w : controls) {
    if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QLabel*>(w) && !qobject_cast<QCheckBox*>(w)) {
      continue;
    }
    const int extra = w->sizeHint().width() - w->width();
    if (extra <= 0) continue;
    if (w->geometry().right() != edge) {
      w->resize(w->sizeHint().width(), w->height());
      continue;
    }
    const int left = w->x() - extra;
    for (QWidget* before : controls) {
      const QRect b = before->geometry();
      if (b.right() >= w->x() - 3 && b.right() < w->geometry().right() && b.bottom() > w->y() &&
          b.top() < w->geometry().bottom()) {
        // A label goes only as far as its text needs, clear of the box
        // before it ("不透明度：" after the margin box).
        const int width = qobject_cast<QLabel*>(before)
                              ? std::min(b.width(), before->sizeHint().width())
                              : b.width();
        before->setGeometry(left - 2 - width, b.y(), width, b.height());
        if (qobject_cast<QLabel*>(before)) KeepClearOf(controls, *before);
      }
    }
    w->setGeometry(w->x() - extra, w->y(), w->sizeHint().width(), w->height());
  }
}

}  // namespace

Controls BuildControls(QWidget* parent) {
  Controls controls{};
  auto at = [&controls](Control c) { return controls[static_cast<size_t>(c)]; };
  for (const ControlPlace& place : kControlLayout) {
    int height = 0;
    QWidget* w = NewControl(place, parent, height);
    w->setObjectName(ControlName(place.control));
    w->setGeometry(place.x, place.y, place.width, height);
    if (place.kind == ControlKind::kGroupBox) {
      // The frame's top line runs through the middle of its caption.
      const int half = w->fontMetrics().height() / 2;
      w->setGeometry(place.x, place.y + half, place.width, height - half);
    }
    controls[static_cast<size_t>(place.control)] = w;
  }
  // Frames lie beneath everything so that their contents get the clicks.
  for (Control g : {Control::BasicGroupBox, Control::TextGroupBox, Control::PictureGroupBox}) {
    at(g)->lower();
  }
  // The lists offer their rows' choices; the window shows the settings' after.
  for (const ControlPlace& place : kControlLayout) {
    const WindowInput* input = WindowInputOf(place.control);
    auto* combo = qobject_cast<QComboBox*>(at(place.control));
    if (input == nullptr || combo == nullptr) continue;
    for (const std::string& item : input->choices) combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(input->first_choice);
  }
  WidenWhatWouldClip(controls);
  return controls;
}

}  // namespace lumivane::ui
