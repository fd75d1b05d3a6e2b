// The program's own window for its guide, for a system with no program
// that opens web pages.
#ifndef LUMIVANE_UI_GUIDE_WINDOW_H_
#define LUMIVANE_UI_GUIDE_WINDOW_H_

#include <QTextBrowser>
#include <string>

namespace lumivane::ui {

class GuideWindow : public QTextBrowser {
 public:
  explicit GuideWindow(QWidget* owner);
  // Shows the guide page; false when it cannot be read.
  bool Show(const std::string& path);
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_GUIDE_WINDOW_H_
