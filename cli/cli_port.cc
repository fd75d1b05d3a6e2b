#include "cli/cli_port.h"

#include <iostream>
#include <string>

#include "engine/run/messages.h"

namespace lumivane::cli {
namespace {
constexpr char kOutputsExist[] =
    "lumivane-batch: the target folder already holds files of the names this run "
    "writes; give --overwrite yes to replace them, --skip-done to keep the complete "
    "ones and do the rest, or --overwrite no to end the run at the first of them\n";
// With --skip-done the complete ones are kept already: what is left is
// pictures to be made again.
constexpr char kOutputsToRedo[] =
    "lumivane-batch: the target folder holds files of the names this run writes for "
    "pictures that are not done; give --overwrite yes to replace them, or --overwrite "
    "no to end the run at the first of them\n";
// --overwrite no: the run ends at the first file it would replace.
constexpr char kKeptAsAsked[] =
    "目标文件夹里已有本次要保存的同名文件，按 --overwrite no 保留了原文件，处理到此结束";
}  // namespace

void CliPort::ClearProgressLine() {
  if (progress_shown_) {
    std::fputs("\r\033[K", out_);
    progress_shown_ = false;
  }
}

void CliPort::ShowMessage(const std::string& caption, const std::string& text, MessageIcon) {
  ClearProgressLine();
  std::fprintf(out_, "%s: %s\n", caption.c_str(), text.c_str());
}

void CliPort::TellCancelled() {
  // Nobody was asked, so nobody cancelled: what to give instead was said.
  if (nobody_asked_) return;
  // Nobody cancelled either where the files were to be kept, as asked.
  ShowMessage(msg::kNoticeCaption,
              overwrite_ == OverwriteChoice::kNo ? kKeptAsAsked : msg::kCancelled,
              MessageIcon::kInformation);
}

bool CliPort::AskYesNo(Question question, const std::string& caption, const std::string& text) {
  if (question == Question::kOverwrite) {
    if (overwrite_ != OverwriteChoice::kAsk) return overwrite_ == OverwriteChoice::kYes;
    if (!terminal_) {
      // Nobody was asked, so nobody cancelled: say what to give instead.
      ClearProgressLine();
      std::fputs(skip_done_ ? kOutputsToRedo : kOutputsExist, out_);
      nobody_asked_ = true;
      return false;
    }
    ClearProgressLine();
    std::fprintf(out_, "%s: %s [y/N] ", caption.c_str(), text.c_str());
    std::fflush(out_);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
  }
  // The summary: told, never opened.
  ClearProgressLine();
  std::fprintf(out_, "%s: %s\n", caption.c_str(), text.substr(0, text.find("，是否")).c_str());
  return false;
}

void CliPort::AppendLogLine(const std::string& line) {
  ClearProgressLine();
  std::fprintf(out_, "%s\n", line.c_str());
}

void CliPort::SetProgressRange(int) {}

void CliPort::SetPictureCount(int done, int total) {
  if (done == 0) started_ = std::chrono::steady_clock::now();
  if (!terminal_ || total <= 0 || done <= 0) return;
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  const int left = static_cast<int>(elapsed / done * (total - done) + 0.5);
  constexpr int kWidth = 30;
  const int filled = kWidth * done / total;
  std::fprintf(out_, "\r[%s%s] %d/%d  %d:%02d left",
               std::string(static_cast<size_t>(filled), '#').c_str(),
               std::string(static_cast<size_t>(kWidth - filled), ' ').c_str(), done, total,
               left / 60, left % 60);
  std::fflush(out_);
  progress_shown_ = true;
}

}  // namespace lumivane::cli
