#include "ui/help_bubble.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPainter>
#include <QScreen>
#include <QWhatsThis>
#include <QWindow>
#include <algorithm>

#include "text/text_codec.h"
#include "ui/control_layout.h"
#include "ui/help_texts.h"
#include "ui/main_window.h"
#include "ui/menu_commands.h"

namespace lumivane::ui {
namespace {

constexpr int kBoxWidth = 320;
constexpr int kShadow = 6;
const QColor kPaleYellow(0xFE, 0xFF, 0xED);
const QColor kSilver(0xC0, 0xC0, 0xC0);
constexpr int kMaxLineBytes = 127;
constexpr int kTextLeft = 8;

// A line as drawn: at most 127 bytes as the text is stored (GBK).
QString ShownPart(QString line) {
  while (Utf8ToGbk(line.toStdString()).size() > kMaxLineBytes) line.chop(1);
  return line;
}

}  // namespace

QRect BubbleGeometry(int lines, int line_height, int px, int py, int sw, int sh, int box_width) {
  box_width = std::max(box_width, kBoxWidth);
  int h = lines * (line_height + 3) + 22;
  if (h % 2 == 0) ++h;
  int x = px - 160;
  if (x < 0) {
    x = 6;
  } else if (px + 165 >= sw) {
    x = sw - box_width - 12;
  }
  int y = py + 16;
  if (y < 0) {
    y = 6;
  } else if (py + h + 31 >= sh) {
    y = py - h - 16;  // above the pointer
  }
  // Whatever the text's width, the whole bubble and its shadow stay on
  // the screen.
  const int w = box_width + kShadow;
  x = std::max(0, std::min(x, sw - w));
  y = std::max(0, std::min(y, sh - h));
  return QRect(x, y, w, h);
}

QWidget* HelpBubble::WindowAt(const QPoint& global) const {
  // A modal dialog, and the window the user works in, lie above the others.
  for (QWidget* w : {QApplication::activeModalWidget(), QApplication::activeWindow()}) {
    if (w != nullptr && w != this && w->isVisible() && w->frameGeometry().contains(global)) {
      return w;
    }
  }
  QWidget* top = QApplication::topLevelAt(global);
  return top == this ? nullptr : top;
}

HelpBubble::HelpBubble(MainWindow& window)
    : QWidget(&window, Qt::Tool | Qt::FramelessWindowHint), window_(window) {
  setObjectName("context_window");
  // What is not painted stays see-through, so the dotted shadow looks half transparent.
  setAttribute(Qt::WA_TranslucentBackground);
  setFont(QApplication::font());
  resize(kBoxWidth, 28);
  hide();
  qApp->installEventFilter(this);
  window.SetMenuHandler(kContextHelpCommand, [] { QWhatsThis::enterWhatsThisMode(); });
}

HelpBubble::~HelpBubble() { qApp->removeEventFilter(this); }

std::optional<Control> HelpBubble::ControlAt(const QPoint& global) const {
  QWidget* top = WindowAt(global);
  if (top != nullptr && top != &window_) return std::nullopt;  // another window is over it
  QWidget* client = window_.centralWidget();
  QWidget* hit = client->childAt(client->mapFromGlobal(global));
  // A part of a control (a list's button, say) stands for the control.
  for (; hit != nullptr && hit != client; hit = hit->parentWidget()) {
    for (const ControlPlace& place : kControlLayout) {
      if (window_.control(place.control) == hit) return place.control;
    }
  }
  return std::nullopt;
}

bool HelpBubble::HelpRequest(const QPoint& global) {
  auto control = ControlAt(global);
  if (!control) {
    // The controls of the program's other windows carry their own text.
    QWidget* top = WindowAt(global);
    if (top == nullptr || top == &window_) return false;
    QWidget* hit = top->childAt(top->mapFromGlobal(global));
    for (QWidget* w = hit ? hit : top; w != nullptr; w = w->parentWidget()) {
      if (!w->whatsThis().isEmpty()) {
        ShowText(w->whatsThis(), global, top);
        return true;
      }
      if (w->isWindow()) break;
    }
    return false;
  }
  const char* text = HelpTextFor(*control);
  if (text == nullptr) return false;
  ShowText(QString::fromUtf8(text), global);
  return true;
}

void HelpBubble::ShowText(const QString& text, const QPoint& pointer, QWidget* over) {
  text_ = text;
  line_height_ = fontMetrics().height();
  QScreen* screen = QGuiApplication::screenAt(pointer);
  if (screen == nullptr) screen = QApplication::primaryScreen();
  const QRect whole = screen->geometry();
  const QStringList lines = text.split('\n');
  // The box fits the text as this font draws it.
  int widest = 0;
  for (const QString& line : lines) {
    widest = std::max(widest, fontMetrics().horizontalAdvance(ShownPart(line)));
  }
  const QRect on_screen =
      BubbleGeometry(static_cast<int>(lines.size()), line_height_, pointer.x() - whole.x(),
                     pointer.y() - whole.y(), whole.width(),
                     screen->availableGeometry().bottom() + 1 - whole.y(), widest + 2 * kTextLeft);
  hide();
  // X11 may run without a compositor; elsewhere see-through always works.
  backdrop_ = QGuiApplication::platformName() == "xcb"
                  ? screen->grabWindow(0, on_screen.x(), on_screen.y(), on_screen.width(),
                                       on_screen.height())
                  : QPixmap();
  setGeometry(on_screen.translated(whole.topLeft()));
  // Stacked with the window it explains, so a window manager keeps it
  // above a modal dialog too.
  create();
  QWidget* owner = over != nullptr ? over : &window_;
  if (owner->windowHandle() != nullptr) windowHandle()->setTransientParent(owner->windowHandle());
  show();
  raise();
  activateWindow();
  update();
}

void HelpBubble::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int h = height();
  const int box = width() - kShadow;
  if (!backdrop_.isNull()) p.drawPixmap(0, 0, backdrop_);
  // Outer box: black outline around white, then the inner pale yellow box
  // with a silver border.
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawRect(0, 0, box - 1, h - 7);
  p.setPen(kSilver);
  p.setBrush(kPaleYellow);
  p.drawRect(1, 1, box - 3, h - 9);
  // Dotted shadow below and to the right.
  p.setPen(Qt::black);
  for (int k = 0; k < kShadow; ++k) {
    for (int x = (k % 2 == 0) ? 6 : 5; x < box; x += 2) p.drawPoint(x, h - kShadow + k);
    for (int r = 6; r < h; r += 2) p.drawPoint(box + k, (k % 2 == 0) ? r + 1 : r);
  }
  p.setPen(Qt::black);
  const QStringList lines = text_.split('\n');
  const int ascent = fontMetrics().ascent();
  for (int i = 0; i < lines.size(); ++i) {
    p.drawText(kTextLeft, 9 + i * (line_height_ + 3) + ascent, ShownPart(lines[i]));
  }
}

void HelpBubble::mousePressEvent(QMouseEvent*) { hide(); }

void HelpBubble::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) hide();
  QWidget::changeEvent(event);
}

namespace {

// What puts the bubble away: Escape or Return, a click elsewhere, the
// program left, or a window of it moved (the bubble would stay behind).
bool BubbleEnds(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:  // scrolled rows move away from where it points
    case QEvent::ApplicationDeactivate:
      return true;
    case QEvent::Move:
      return qobject_cast<QMainWindow*>(watched) != nullptr ||
             qobject_cast<QDialog*>(watched) != nullptr;
    default:
      return false;
  }
}

}  // namespace

bool HelpBubble::eventFilter(QObject* watched, QEvent* event) {
  // F1 anywhere in the program, and a click in the "?" mode, explain the
  // control under the pointer, not the one with the focus.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
      watched->isWidgetType()) {
    if (!HelpRequest(QCursor::pos())) hide();  // nothing there: no old bubble either
    return true;
  }
  if (isVisible() && watched != this && BubbleEnds(watched, event)) {
    hide();
    // The key was meant for the bubble, not for the window under it.
    if (event->type() == QEvent::KeyPress) return true;
  }
  if (event->type() == QEvent::WhatsThis) {
    HelpRequest(static_cast<QHelpEvent*>(event)->globalPos());
    QWhatsThis::leaveWhatsThisMode();
    return true;
  }
  if (event->type() == QEvent::QueryWhatsThis) {  // every control answers
    event->accept();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace lumivane::ui
