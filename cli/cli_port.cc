#include "cli/cli_port.h"

#include <iostream>
#include <string>

#include "engine/folder_scan.h"
#include "engine/messages.h"

namespace lumivane::cli {
namespace {
std::string Number(std::uint32_t v) { return std::to_string(static_cast<std::int32_t>(v)); }

constexpr char kOutputsExist[] =
    "lumivane-batch: the target folder already holds outputs of the same names; "
    "give --overwrite yes to replace them, --skip-done to keep the complete ones and "
    "do the rest, or --overwrite no to end the run at the first of them\n";
}  // namespace

CliPort::CliPort(const CliOptions& o, ProcessingSettings& s, std::FILE* out, bool terminal)
    : overwrite_(o.overwrite), out_(out), terminal_(terminal) {
  using C = Control;
  text_[C::WidthBox] = std::to_string(s.width);
  text_[C::WatermarkTextBox] = s.sy_text;
  text_[C::TextHorizontalMarginBox] = Number(s.sy_text_w_value);
  text_[C::TextVerticalMarginBox] = Number(s.sy_text_h_value);
  text_[C::WatermarkPictureBox] = s.sy_image;
  text_[C::PictureHorizontalMarginBox] = Number(s.sy_image_w_value);
  text_[C::PictureVerticalMarginBox] = Number(s.sy_image_h_value);
  selection_[C::QualityCombo] = s.quanlity;
  selection_[C::RotationCombo] = 0;
  selection_[C::OpacityCombo] = s.sy_text_opacity;
  selection_[C::TextHorizontalPositionCombo] = s.sy_text_w_direction;
  selection_[C::TextVerticalPositionCombo] = s.sy_text_h_direction;
  selection_[C::PictureHorizontalPositionCombo] = s.sy_image_w_direction;
  selection_[C::PictureVerticalPositionCombo] = s.sy_image_h_direction;
  checked_[C::QualityCheck] = true;

  text_[C::SourceFolderBox] = o.source;
  text_[C::TargetFolderBox] = o.target.empty() ? DefaultTargetFolder(o.source) : o.target;
  checked_[C::SubfoldersCheck] = o.subfolders;
  // A preset's width, unless --width says otherwise.
  if (auto width = o.width    ? o.width
                   : o.preset ? std::optional<int>(FindPreset(*o.preset)->width)
                              : std::nullopt) {
    checked_[C::WidthCheck] = true;
    text_[C::WidthBox] = std::to_string(*width);
  }
  if (o.quality) selection_[C::QualityCombo] = (100 - *o.quality) / 5;
  if (o.rotation) {
    checked_[C::RotationCheck] = true;
    selection_[C::RotationCombo] = *o.rotation / 90 - 1;
  }
  if (o.text) {
    checked_[C::TextWatermarkCheck] = true;
    text_[C::WatermarkTextBox] = *o.text;
  }
  FontChoice& f = s.sy_text_font;
  if (o.font) f.sy_text_fontName = *o.font;
  if (o.font_size) f.sy_text_fontSize = *o.font_size;
  if (o.color) {
    f.sy_text_htmlColor = *o.color;
    const unsigned long rgb = std::stoul(o.color->substr(1), nullptr, 16);
    f.sy_text_rgbColors =
        static_cast<std::uint32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  }
  if (o.bold) f.sy_text_isWeight = *o.bold ? 1 : 0;
  if (o.italic) f.sy_text_isItalic = *o.italic ? 1 : 0;
  if (o.opacity) selection_[C::OpacityCombo] = (100 - *o.opacity) / 10;
  if (o.text_position) {
    selection_[C::TextHorizontalPositionCombo] = o.text_position->first;
    selection_[C::TextVerticalPositionCombo] = o.text_position->second;
  }
  if (o.text_margins) {
    text_[C::TextHorizontalMarginBox] = o.text_margins->first;
    text_[C::TextVerticalMarginBox] = o.text_margins->second;
  }
  if (o.image) {
    checked_[C::PictureWatermarkCheck] = true;
    text_[C::WatermarkPictureBox] = *o.image;
  }
  if (o.image_position) {
    selection_[C::PictureHorizontalPositionCombo] = o.image_position->first;
    selection_[C::PictureVerticalPositionCombo] = o.image_position->second;
  }
  if (o.image_margins) {
    text_[C::PictureHorizontalMarginBox] = o.image_margins->first;
    text_[C::PictureVerticalMarginBox] = o.image_margins->second;
  }
}

std::string CliPort::ControlText(Control c) { return text_.count(c) ? text_[c] : ""; }
bool CliPort::IsChecked(Control c) { return checked_.count(c) && checked_[c]; }
int CliPort::Selection(Control c) { return selection_.count(c) ? selection_[c] : -1; }

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
  if (!nobody_asked_) ShowMessage(msg::kNoticeCaption, msg::kCancelled, MessageIcon::kInformation);
}

bool CliPort::AskYesNo(Question question, const std::string& caption, const std::string& text) {
  if (question == Question::kOverwrite) {
    if (overwrite_ != OverwriteChoice::kAsk) return overwrite_ == OverwriteChoice::kYes;
    if (!terminal_) {
      // Nobody was asked, so nobody cancelled: say what to give instead.
      ClearProgressLine();
      std::fputs(kOutputsExist, out_);
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
  std::fprintf(out_, "%s: %s\n", caption.c_str(), text.substr(0, text.find("，")).c_str());
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

void CliPort::UnlockAfterRun() { ClearProgressLine(); }

}  // namespace lumivane::cli
