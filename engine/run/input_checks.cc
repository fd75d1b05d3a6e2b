#include "engine/run/input_checks.h"

#include <limits>

#include "engine/picture/font_resolver.h"
#include "engine/picture/size_rule.h"
#include "engine/run/folder_scan.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

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

std::string InputChecks::Source() const { return TrimSpaces(in_.source); }

bool InputChecks::Fail(const std::string& text, std::optional<Field> focus, MessageIcon icon) {
  port_.ShowMessage(msg::kNoticeCaption, text, icon);
  focus_ = focus;
  return false;
}

bool InputChecks::Operations(const ExtraOperations& extras) {
  const std::string conflict = OperationsConflict(extras);
  return conflict.empty() || Fail(conflict, std::nullopt);
}

bool InputChecks::SourceFolder() {
  const std::string source = Source();
  if (source.empty()) return Fail(msg::kChooseSource, Field::kSource);
  if (!IsDirectory(source)) return Fail(msg::kSourceMissing, Field::kSource);
  return true;
}

bool InputChecks::Width() {
  const std::string text = TrimSpaces(in_.width);
  const auto number = ParseDigits(text);
  if (!in_.width_on) {
    // Not needed: a default stands in for nonsense, a number is not taken.
    if (!number) s_.width = kDefaultWidth;
    return true;
  }
  if (text.empty()) return Fail(msg::kWidthEmpty, Field::kWidth);
  if (!number) return Fail(msg::kWidthNotNumber, Field::kWidth);
  if (*number < 1 || *number > kMaxWidth) return Fail(msg::kWidthRange, Field::kWidth);
  s_.width = static_cast<std::int32_t>(*number);
  return true;
}

void InputChecks::Quality() { s_.quanlity = in_.quality; }

bool InputChecks::WatermarkText(bool for_preview) {
  const std::string text = TrimSpaces(in_.text);
  if (for_preview || in_.text_mark) {
    if (text.empty()) return Fail(msg::kEnterText, Field::kText);
    if (HasNonAscii(text) && !FontShowsChinese(s_.sy_text_font)) {
      return Fail(for_preview ? msg::kPreviewNeedsChineseFont : msg::kFontCannotShowChinese,
                  Field::kFont, MessageIcon::kWarning);
    }
  }
  s_.sy_text = text;
  return true;
}

void InputChecks::Opacity() { s_.sy_text_opacity = in_.opacity; }

bool InputChecks::Margin(int position, const std::string& typed, Field field,
                         msg::Watermark watermark, bool horizontal, std::int32_t& direction,
                         std::uint32_t& value) {
  direction = position;
  const std::string text = TrimSpaces(typed);
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
  if (text.empty()) return Fail(msg::MarginEmpty(watermark, side), field);
  if (!number) return Fail(msg::MarginNotNumber(watermark, side), field);
  if (*number > static_cast<std::uint64_t>(kMaxMargin))
    return Fail(msg::MarginRange(watermark, side), field);
  value = static_cast<std::uint32_t>(*number);
  return true;
}

bool InputChecks::TextMargins() {
  const MarkPlace& p = in_.text_place;
  return Margin(p.horizontal, p.horizontal_margin, Field::kTextHorizontalMargin,
                msg::Watermark::kText, true, s_.sy_text_w_direction, s_.sy_text_w_value) &&
         Margin(p.vertical, p.vertical_margin, Field::kTextVerticalMargin, msg::Watermark::kText,
                false, s_.sy_text_h_direction, s_.sy_text_h_value);
}

bool InputChecks::WatermarkPicture() {
  const std::string path = TrimSpaces(in_.picture);
  if (in_.picture_mark) {
    if (path.empty()) return Fail(msg::kChooseWatermarkPicture, Field::kPicture);
    if (!FileExists(path)) return Fail(msg::kWatermarkPictureMissing, Field::kPicture);
  }
  s_.sy_image = path;
  return true;
}

bool InputChecks::PictureMargins() {
  const MarkPlace& p = in_.picture_place;
  return Margin(p.horizontal, p.horizontal_margin, Field::kPictureHorizontalMargin,
                msg::Watermark::kPicture, true, s_.sy_image_w_direction, s_.sy_image_w_value) &&
         Margin(p.vertical, p.vertical_margin, Field::kPictureVerticalMargin,
                msg::Watermark::kPicture, false, s_.sy_image_h_direction, s_.sy_image_h_value);
}

bool InputChecks::TargetFolder(std::string& target) {
  const std::string source = Source();
  target = TrimSpaces(in_.target);
  if (target.empty()) return Fail(msg::kChooseTarget, Field::kTarget);
  if (SameFolder(target, source)) return Fail(msg::kTargetIsSource, Field::kTarget);
  target_inside_source_ = in_.subfolders && FolderLiesWithin(target, source);
  if (target_inside_source_) return true;  // nothing is made for a run that will be refused
  if (IsDirectory(target)) return true;
  for (std::string missing = target; !missing.empty() && !platform::PathEntryExists(missing);) {
    made_folders_.push_back(missing);
    const size_t slash = missing.find_last_of('/', missing.find_last_not_of('/'));
    missing = slash == std::string::npos || slash == 0 ? "" : missing.substr(0, slash);
  }
  if (!platform::MakeDirectories(target)) return Fail(msg::kCannotCreateTarget, Field::kTarget);
  return true;
}

PictureSwitches BasicSwitches(const UserInputs& in) {
  PictureSwitches switches;
  switches.width = in.width_on;
  switches.quality = in.quality_on;
  switches.rotation = in.rotation_on;
  switches.rotation_position = in.rotation;
  return switches;
}

bool RunInputChecks(InputChecks& c, std::string& target) {
  if (!c.SourceFolder() || !c.Width()) return false;
  c.Quality();
  if (!c.WatermarkText(false)) return false;
  c.Opacity();
  return c.TextMargins() && c.WatermarkPicture() && c.PictureMargins() && c.TargetFolder(target);
}

}  // namespace lumivane
