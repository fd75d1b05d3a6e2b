#include "engine/input_checks.h"

#include <limits>

#include "engine/folder_scan.h"
#include "engine/font_resolver.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

constexpr int kMaxWidth = 9999;
constexpr std::uint64_t kMaxMargin = 999;
constexpr std::uint32_t kDefaultWidth = 640;
constexpr std::uint32_t kDefaultMargin = 16;

}  // namespace

std::optional<std::uint64_t> ParseDigits(const std::string& text) {
  if (!IsDigitsOnly(text)) return std::nullopt;
  constexpr std::uint64_t kCap = std::numeric_limits<std::uint32_t>::max();
  std::uint64_t value = 0;
  for (char c : text) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kCap) return kCap + 1;  // "too large" is all a caller needs
  }
  return value;
}

std::string InputChecks::ReadTrimmed(Control control) {
  return TrimSpaces(port_.ControlText(control));
}

bool InputChecks::Fail(const std::string& text, std::optional<Control> focus, MessageIcon icon) {
  port_.ShowMessage(msg::kNoticeCaption, text, icon);
  focus_ = focus;
  return false;
}

bool InputChecks::SourceFolder(const std::string& source) {
  if (source.empty()) return Fail(msg::kChooseSource, Control::SourceFolderBrowseButton);
  if (!IsDirectory(source)) return Fail(msg::kSourceMissing, Control::SourceFolderBrowseButton);
  return true;
}

bool InputChecks::Width() {
  const std::string text = ReadTrimmed(Control::WidthBox);
  const auto number = ParseDigits(text);
  if (!port_.IsChecked(Control::WidthCheck)) {
    // Not needed: a default stands in for nonsense, a number is not taken.
    if (!number) s_.width = kDefaultWidth;
    return true;
  }
  if (text.empty()) return Fail(msg::kWidthEmpty, Control::WidthBox);
  if (!number) return Fail(msg::kWidthNotNumber, Control::WidthBox);
  if (*number < 1 || *number > kMaxWidth) return Fail(msg::kWidthRange, Control::WidthBox);
  s_.width = static_cast<std::int32_t>(*number);
  return true;
}

void InputChecks::Quality() { s_.quanlity = port_.Selection(Control::QualityCombo); }

bool InputChecks::WatermarkText(bool for_preview) {
  const std::string text = ReadTrimmed(Control::WatermarkTextBox);
  const bool on = port_.IsChecked(Control::TextWatermarkCheck);
  if (for_preview || on) {
    if (text.empty()) return Fail(msg::kEnterText, Control::WatermarkTextBox);
    if (HasNonAscii(text) && !FontShowsChinese(s_.sy_text_font)) {
      return Fail(for_preview ? msg::kPreviewNeedsChineseFont : msg::kFontCannotShowChinese,
                  Control::FontButton, MessageIcon::kWarning);
    }
  }
  s_.sy_text = text;
  return true;
}

void InputChecks::Opacity() { s_.sy_text_opacity = port_.Selection(Control::OpacityCombo); }

bool InputChecks::Margin(Control combo, Control box, msg::Watermark watermark, bool horizontal,
                         std::int32_t& direction, std::uint32_t& value) {
  const int position = port_.Selection(combo);
  direction = position;
  const std::string text = ReadTrimmed(box);
  const auto number = ParseDigits(text);
  if (position <= 0) {
    // Centred: the margin is not used, so anything goes.
    value =
        number && *number <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
            ? static_cast<std::uint32_t>(*number)
            : kDefaultMargin;
    return true;
  }
  const msg::Side side = horizontal ? (position == 1 ? msg::Side::kLeft : msg::Side::kRight)
                                    : (position == 1 ? msg::Side::kTop : msg::Side::kBottom);
  if (text.empty()) return Fail(msg::MarginEmpty(watermark, side), box);
  if (!number) return Fail(msg::MarginNotNumber(watermark, side), box);
  if (*number > kMaxMargin) return Fail(msg::MarginRange(watermark, side), box);
  value = static_cast<std::uint32_t>(*number);
  return true;
}

bool InputChecks::TextMargins() {
  return Margin(Control::TextHorizontalPositionCombo, Control::TextHorizontalMarginBox,
                msg::Watermark::kText, true, s_.sy_text_w_direction, s_.sy_text_w_value) &&
         Margin(Control::TextVerticalPositionCombo, Control::TextVerticalMarginBox,
                msg::Watermark::kText, false, s_.sy_text_h_direction, s_.sy_text_h_value);
}

bool InputChecks::WatermarkPicture() {
  const std::string path = ReadTrimmed(Control::WatermarkPictureBox);
  if (port_.IsChecked(Control::PictureWatermarkCheck)) {
    if (path.empty())
      return Fail(msg::kChooseWatermarkPicture, Control::WatermarkPictureBrowseButton);
    if (!FileExists(path)) {
      return Fail(msg::kWatermarkPictureMissing, Control::WatermarkPictureBrowseButton);
    }
  }
  s_.sy_image = path;
  return true;
}

bool InputChecks::PictureMargins() {
  return Margin(Control::PictureHorizontalPositionCombo, Control::PictureHorizontalMarginBox,
                msg::Watermark::kPicture, true, s_.sy_image_w_direction, s_.sy_image_w_value) &&
         Margin(Control::PictureVerticalPositionCombo, Control::PictureVerticalMarginBox,
                msg::Watermark::kPicture, false, s_.sy_image_h_direction, s_.sy_image_h_value);
}

bool InputChecks::TargetFolder(const std::string& source, std::string& target) {
  target = ReadTrimmed(Control::TargetFolderBox);
  if (target.empty()) return Fail(msg::kChooseTarget, Control::TargetFolderBrowseButton);
  if (SameFolder(target, source))
    return Fail(msg::kTargetIsSource, Control::TargetFolderBrowseButton);
  target_inside_source_ =
      port_.IsChecked(Control::SubfoldersCheck) && FolderLiesWithin(target, source);
  if (target_inside_source_) return true;  // nothing is made for a run that will be refused
  if (!IsDirectory(target) && !platform::MakeDirectories(target)) {
    return Fail(msg::kCannotCreateTarget, Control::TargetFolderBrowseButton);
  }
  return true;
}

PictureSwitches ReadBasicSwitches(WindowPort& port) {
  PictureSwitches switches;
  switches.width = port.IsChecked(Control::WidthCheck);
  switches.quality = port.IsChecked(Control::QualityCheck);
  switches.rotation = port.IsChecked(Control::RotationCheck);
  switches.rotation_position = port.Selection(Control::RotationCombo);
  return switches;
}

bool RunInputChecks(InputChecks& c, const std::string& source, std::string& target) {
  if (!c.SourceFolder(source) || !c.Width()) return false;
  c.Quality();
  if (!c.WatermarkText(false)) return false;
  c.Opacity();
  return c.TextMargins() && c.WatermarkPicture() && c.PictureMargins() &&
         c.TargetFolder(source, target);
}

}  // namespace lumivane
