#include "tests/fake_window_port.h"

#include "engine/run/messages.h"

namespace lumivane::testing {
namespace {
const char* IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kError:
      return "error";
    case MessageIcon::kWarning:
      return "warning";
    case MessageIcon::kInformation:
      return "information";
  }
  return "?";
}
}  // namespace

UserInputs DefaultInputs() {
  ProcessingSettings s;
  s.width = 640;
  s.quanlity = 1;
  s.sy_text = "https://shop.example.com";
  s.sy_text_w_direction = s.sy_text_h_direction = s.sy_image_w_direction = s.sy_image_h_direction =
      2;
  s.sy_text_w_value = s.sy_text_h_value = s.sy_image_w_value = s.sy_image_h_value = 16;
  return InputsShowing(s);
}

void FakeWindowPort::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void FakeWindowPort::Reset() {
  ClearCalls();
  answers.clear();
  on_progress_range = nullptr;
}

void FakeWindowPort::Record(const std::string& call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(call);
}

void FakeWindowPort::ShowMessage(const std::string& caption, const std::string& t,
                                 MessageIcon icon) {
  Record("message " + caption + "|" + t + "|" + IconName(icon));
}
void FakeWindowPort::TellCancelled() {
  ShowMessage(msg::kNoticeCaption, msg::kCancelled, MessageIcon::kInformation);
}

bool FakeWindowPort::AskYesNo(Question, const std::string& caption, const std::string& t) {
  Record("ask " + caption + "|" + t);
  if (answers.empty()) return false;
  bool a = answers.front();
  answers.pop_front();
  return a;
}
void FakeWindowPort::AppendLogLine(const std::string& line) { Record("log " + line); }
void FakeWindowPort::SetProgressRange(int maximum) {
  Record("range " + std::to_string(maximum));
  if (on_progress_range) on_progress_range();
}
void FakeWindowPort::SetProgressPosition(int position) {
  Record("position " + std::to_string(position));
}
std::vector<std::string> FakeWindowPort::Calls(const std::string& prefix) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& c : calls_) {
    if (c.rfind(prefix + " ", 0) == 0) out.push_back(c.substr(prefix.size() + 1));
  }
  return out;
}

std::vector<std::string> FakeWindowPort::AllCalls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

}  // namespace lumivane::testing
