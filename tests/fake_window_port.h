// A scripted main window: preset control values, canned answers, and a
// record of every call in order.
#ifndef LUMIVANE_TESTS_FAKE_WINDOW_PORT_H_
#define LUMIVANE_TESTS_FAKE_WINDOW_PORT_H_

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/window_port.h"

namespace lumivane::testing {

class FakeWindowPort : public WindowPort {
 public:
  // The state of the window after start-up with the default settings.
  FakeWindowPort() { Reset(); }
  // Back to that state, with no calls recorded.
  void Reset();
  void ClearCalls();

  std::string ControlText(Control c) override;
  bool IsChecked(Control c) override;
  int Selection(Control c) override;
  void EnableControl(Control c, bool enabled) override;
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(Question question, const std::string& caption, const std::string& text) override;
  void TellCancelled() override;
  void AppendLogLine(const std::string& line) override;
  void SetProgressRange(int maximum) override;
  void SetProgressPosition(int position) override;
  // Kept apart from the calls: "done/total" of every picture count.
  void SetPictureCount(int done, int total) override {
    std::lock_guard lock(mutex_);
    picture_counts.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
  std::vector<std::string> picture_counts;
  void RequestFocus(Control c) override;
  void UnlockAfterRun() override;
  int OpenWithDesktop(const std::string& path) override;
  int OpenInBrowser(const std::string& path) override;

  void Set(Control c, const std::string& value) { text[c] = value; }
  void Check(Control c, bool on = true) { checked[c] = on; }
  void Select(Control c, int position) { selection[c] = position; }

  // Calls whose record starts with `prefix` ("message", "ask", "log", ...).
  std::vector<std::string> Calls(const std::string& prefix) const;
  std::vector<std::string> AllCalls() const;

  std::map<Control, std::string> text;
  std::map<Control, bool> checked;
  std::map<Control, int> selection;
  std::deque<bool> answers;                 // for AskYesNo; No when none is left
  std::function<void()> on_progress_range;  // runs when a run has listed its pictures
  int open_result = 42;
  int browser_result = 42;

 private:
  void Record(const std::string& call);
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_FAKE_WINDOW_PORT_H_
