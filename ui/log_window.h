// The processing log: a small tool window with an editable box that
// collects the lines of every run since the program started.
#ifndef LUMIVANE_UI_LOG_WINDOW_H_
#define LUMIVANE_UI_LOG_WINDOW_H_

#include <QWidget>
#include <string>

class QPlainTextEdit;

namespace lumivane::ui {

class LogWindow : public QWidget {
 public:
  explicit LogWindow(QWidget* owner);
  // Appends the line at the end (after anything the user typed), scrolls
  // to it and shows the window (the first time beside the main window).
  void AppendLine(const std::string& line);
  QPlainTextEdit* box() const { return box_; }

 protected:
  void closeEvent(QCloseEvent* event) override;  // only hides

 private:
  void PlaceBesideOwner();

  QPlainTextEdit* box_;
  bool placed_ = false;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_LOG_WINDOW_H_
