#include "tests/fake_window_port.h"

#include "engine/messages.h"

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

void FakeWindowPort::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void FakeWindowPort::Reset() {
  ClearCalls();
  text.clear();
  checked.clear();
  selection.clear();
  answers.clear();
  on_progress_range = nullptr;
  open_result = browser_result = 42;
  text[Control::WidthBox] = "640";
  text[Control::WatermarkTextBox] = "https://shop.example.com";
  for (Control c : {Control::TextHorizontalMarginBox, Control::TextVerticalMarginBox,
                    Control::PictureHorizontalMarginBox, Control::PictureVerticalMarginBox}) {
    text[c] = "16";
  }
  checked[Control::QualityCheck] = true;
  selection[Control::QualityCombo] = 1;
  selection[Control::RotationCombo] = 0;
  selection[Control::OpacityCombo] = 0;
  for (Control c :
       {Control::TextHorizontalPositionCombo, Control::TextVerticalPositionCombo,
        Control::PictureHorizontalPositionCombo, Control::PictureVerticalPositionCombo}) {
    selection[c] = 2;
  }
}

void FakeWindowPort::Record(const std::string& call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(call);
}

std::string FakeWindowPort::ControlText(Control c) { return text.count(c) ? text[c] : ""; }
bool FakeWindowPort::IsChecked(Control c) { return checked.count(c) && checked[c]; }
int FakeWindowPort::Selection(Control c) { return selection.count(c) ? selection[c] : -1; }
void FakeWindowPort::EnableControl(Control c, bool enabled) {
  Record(std::string("enable ") + ControlName(c) + (enabled ? " on" : " off"));
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
void FakeWindowPort::RequestFocus(Control c) { Record(std::string("focus ") + ControlName(c)); }
void FakeWindowPort::UnlockAfterRun() { Record("unlock"); }
int FakeWindowPort::OpenWithDesktop(const std::string& path) {
  Record("open " + path);
  return open_result;
}
int FakeWindowPort::OpenInBrowser(const std::string& path) {
  Record("browser " + path);
  return browser_result;
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
