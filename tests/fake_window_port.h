// A scripted main window: canned answers and a record of every call in
// order; and the inputs the window shows after start-up.
#ifndef LUMIVANE_TESTS_FAKE_WINDOW_PORT_H_
#define LUMIVANE_TESTS_FAKE_WINDOW_PORT_H_

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/run/window_port.h"

namespace lumivane::testing {

// What the window shows after start-up with the default settings.
UserInputs DefaultInputs();

// The log's last line of a run that finished, and its 完成 question.
inline std::string ReportLine(const std::string& target) {
  return "每张图片的结果记在 " + target + "/处理报告.html";
}
inline std::string DoneQuestion(int processed, const std::string& target, int failed = 0) {
  return "完成|处理完成 " + std::to_string(processed) + " 个图片" +
         (failed > 0 ? "，" + std::to_string(failed) + " 个没有处理好，见 处理报告.html" : "") +
         "，是否要打开目标文件夹查看处理后的图片？\n" + ReportLine(target);
}

class FakeWindowPort : public WindowPort {
 public:
  // The state of the window after start-up with the default settings.
  FakeWindowPort() { Reset(); }
  // Back to that state, with no calls recorded.
  void Reset();
  void ClearCalls();

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

  // Calls whose record starts with `prefix` ("message", "ask", "log", ...).
  std::vector<std::string> Calls(const std::string& prefix) const;
  std::vector<std::string> AllCalls() const;

  std::deque<bool> answers;                 // for AskYesNo; No when none is left
  std::function<void()> on_progress_range;  // runs when a run has listed its pictures

 private:
  void Record(const std::string& call);
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_FAKE_WINDOW_PORT_H_
