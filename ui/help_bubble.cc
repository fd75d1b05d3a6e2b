#include "ui/help_bubble.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWhatsThis>

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

}  // namespace

QRect BubbleGeometry(int lines, int line_height, int px, int py, int sw, int sh) {
  int h = lines * (line_height + 3) + 22;
  if (h % 2 == 0) ++h;
  int x = px - 160;
  if (x < 0) {
    x = 6;
  } else if (px + 165 >= sw) {
    x = sw - 332;
  }
  int y = py + 16;
  if (y < 0) {
    y = 6;
  } else if (py + h + 31 >= sh) {
    y = py - h - 16;  // above the pointer
  }
  return QRect(x, y, kBoxWidth + kShadow, h);
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
  if (!control) return false;
  const char* text = HelpTextFor(*control);
  if (text == nullptr) return false;
  ShowText(QString::fromUtf8(text), global);
  return true;
}

void HelpBubble::ShowText(const QString& text, const QPoint& pointer) {
  text_ = text;
  line_height_ = fontMetrics().height();
  const QRect screen = QApplication::primaryScreen()->availableGeometry();
  const int lines = static_cast<int>(text.count('\n')) + 1;
  setGeometry(BubbleGeometry(lines, line_height_, pointer.x(), pointer.y(),
                             QApplication::primaryScreen()->geometry().width(), screen.height()));
  show();
  raise();
  activateWindow();
  update();
}

void HelpBubble::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int h = height();
  // Outer box: black outline around white, then the inner pale yellow box
  // with a silver border.
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawRect(0, 0, kBoxWidth - 1, h - 7);
  p.setPen(kSilver);
  p.setBrush(kPaleYellow);
  p.drawRect(1, 1, kBoxWidth - 3, h - 9);
  // Dotted shadow below and to the right.
  p.setPen(Qt::black);
  for (int k = 0; k < kShadow; ++k) {
    for (int x = (k % 2 == 0) ? 6 : 5; x <= 319; x += 2) p.drawPoint(x, h - kShadow + k);
    for (int r = 6; r < h; r += 2) p.drawPoint(kBoxWidth + k, (k % 2 == 0) ? r + 1 : r);
  }
  p.setPen(Qt::black);
  const QStringList lines = text_.split('\n');
  const int ascent = fontMetrics().ascent();
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    while (line.toLocal8Bit().size() > kMaxLineBytes) line.chop(1);
    p.drawText(8, 9 + i * (line_height_ + 3) + ascent, line);
  }
}

void HelpBubble::mousePressEvent(QMouseEvent*) { hide(); }

void HelpBubble::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) hide();
  QWidget::changeEvent(event);
}

bool HelpBubble::eventFilter(QObject* watched, QEvent* event) {
  // F1 anywhere in the program, and a click in the "?" mode, explain the
  // control under the pointer, not the one with the focus.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
      watched->isWidgetType()) {
    HelpRequest(QCursor::pos());
    return true;
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
