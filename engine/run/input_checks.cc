#include "engine/run/input_checks.h"

#include <limits>

#include "engine/picture/font_resolver.h"
#include "engine/picture/size_rule.h"
#include "engine/run/basic_rows.h"
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

std::optional<ValueRefusal> WidthRefusal(const UserInputs& in) {
  if (!in.width_on) return std::nullopt;
  const std::string text = TrimSpaces(in.width);
  const auto number = ParseDigits(text);
  if (text.empty()) return ValueRefusal{msg::kWidthEmpty, Field::kWidth};
  if (!number) return ValueRefusal{msg::WidthNotNumber(), Field::kWidth};
  if (*number < 1 || *number > kMaxWidth) return ValueRefusal{msg::WidthRange(), Field::kWidth};
  return std::nullopt;
}

std::optional<ValueRefusal> TextRefusal(const UserInputs& in, bool for_preview) {
  if ((for_preview || in.text_mark) && TrimSpaces(in.text).empty()) {
    return ValueRefusal{msg::kEnterText, Field::kText};
  }
  return std::nullopt;
}

std::optional<ValueRefusal> MarginRefusal(const MarkPlace& place, msg::Watermark watermark,
                                          bool horizontal) {
  const int position = horizontal ? place.horizontal : place.vertical;
  if (position <= 0) return std::nullopt;  // centred: the margin is not used
  const std::string text = TrimSpaces(horizontal ? place.horizontal_margin : place.vertical_margin);
  const auto number = ParseDigits(text);
  const bool text_mark = watermark == msg::Watermark::kText;
  const Field field =
      horizontal ? (text_mark ? Field::kTextHorizontalMargin : Field::kPictureHorizontalMargin)
                 : (text_mark ? Field::kTextVerticalMargin : Field::kPictureVerticalMargin);
  const msg::Side side = horizontal ? (position == 1 ? msg::Side::kLeft : msg::Side::kRight)
                                    : (position == 1 ? msg::Side::kTop : msg::Side::kBottom);
  if (text.empty()) return ValueRefusal{msg::MarginEmpty(watermark, side), field};
  if (!number) return ValueRefusal{msg::MarginNotNumber(watermark, side), field};
  if (*number > static_cast<std::uint64_t>(kMaxMargin)) {
    return ValueRefusal{msg::MarginRange(watermark, side), field};
  }
  return std::nullopt;
}

std::optional<ValueRefusal> RefusedValue(const UserInputs& in) {
  for (auto refusal : {WidthRefusal(in), TextRefusal(in, false),
                       MarginRefusal(in.text_place, msg::Watermark::kText, true),
                       MarginRefusal(in.text_place, msg::Watermark::kText, false),
                       MarginRefusal(in.picture_place, msg::Watermark::kPicture, true),
                       MarginRefusal(in.picture_place, msg::Watermark::kPicture, false)}) {
    if (refusal) return refusal;
  }
  return std::nullopt;
}

bool InputChecks::Width() {
  if (const auto refusal = WidthRefusal(in_)) return Fail(*refusal);
  const auto number = ParseDigits(TrimSpaces(in_.width));
  if (in_.width_on) {
    s_.width = static_cast<std::int32_t>(*number);
  } else if (!number) {
    s_.width = kDefaultWidth;  // not needed: a default stands in for nonsense
  }
  return true;
}

void InputChecks::Quality() { s_.quanlity = in_.quality; }

bool InputChecks::WatermarkText(bool for_preview) {
  const std::string text = TrimSpaces(in_.text);
  if (const auto refusal = TextRefusal(in_, for_preview)) return Fail(*refusal);
  if (for_preview || in_.text_mark) {
    if (HasNonAscii(text) && !FontShowsChinese(s_.sy_text_font)) {
      return Fail(
          ChineseFontMessage(
              for_preview ? msg::kPreviewNeedsChineseFont : msg::kFontCannotShowChinese, text),
          Field::kFont, MessageIcon::kWarning);
    }
  }
  s_.sy_text = text;
  return true;
}

void InputChecks::Opacity() { s_.sy_text_opacity = in_.opacity; }

bool InputChecks::Margin(const MarkPlace& place, msg::Watermark watermark, bool horizontal,
                         std::int32_t& direction, std::uint32_t& value) {
  if (const auto refusal = MarginRefusal(place, watermark, horizontal)) return Fail(*refusal);
  direction = horizontal ? place.horizontal : place.vertical;
  const auto number =
      ParseDigits(TrimSpaces(horizontal ? place.horizontal_margin : place.vertical_margin));
  // Centred, the margin is not used: a default stands in for nonsense.
  value = number && *number <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
              ? static_cast<std::uint32_t>(*number)
              : kDefaultMargin;
  return true;
}

bool InputChecks::TextMargins() {
  const MarkPlace& p = in_.text_place;
  return Margin(p, msg::Watermark::kText, true, s_.sy_text_w_direction, s_.sy_text_w_value) &&
         Margin(p, msg::Watermark::kText, false, s_.sy_text_h_direction, s_.sy_text_h_value);
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
  return Margin(p, msg::Watermark::kPicture, true, s_.sy_image_w_direction, s_.sy_image_w_value) &&
         Margin(p, msg::Watermark::kPicture, false, s_.sy_image_h_direction, s_.sy_image_h_value);
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
  if (!platform::MakeDirectories(target)) {
    target_not_made_ = true;
    return Fail(msg::kCannotCreateTarget, Field::kTarget);
  }
  return true;
}

PictureSwitches BasicSwitches(const UserInputs& in) {
  PictureSwitches switches;
  for (const BasicRow& row : BasicRows()) {
    if (row.group == RowGroup::kBasic && row.pipeline != nullptr) row.pipeline(in, switches);
  }
  return switches;
}

PictureSwitches RunSwitches(const UserInputs& in) {
  PictureSwitches switches;
  for (const BasicRow& row : BasicRows()) {
    if (row.pipeline != nullptr) row.pipeline(in, switches);
  }
  return switches;
}

bool CheckInputs(InputChecks& c, const ExtraOperations& extras, ChecksFor mode,
                 std::string& target) {
  const bool run = mode == ChecksFor::kRun;
  const auto checked = [&](RowGroup group) {
    switch (group) {
      case RowGroup::kTextMark:
        return run || mode == ChecksFor::kTextPreview || c.inputs().text_mark;
      case RowGroup::kPictureMark:
        return run || mode == ChecksFor::kPicturePreview || c.inputs().picture_mark;
      case RowGroup::kBasic:
        break;
    }
    return true;
  };
  if (!c.Operations(extras) || !c.SourceFolder()) return false;
  for (const BasicRow& row : BasicRows()) {
    if (checked(row.group) && !c.Check(row.check, mode)) return false;
  }
  return !run || c.TargetFolder(target);
}

bool InputChecks::Check(RowCheck check, ChecksFor mode) {
  switch (check) {
    case RowCheck::kNone:
      return true;
    case RowCheck::kWidth:
      return Width();
    case RowCheck::kQuality:
      return Quality(), true;
    case RowCheck::kText:
      return WatermarkText(mode == ChecksFor::kTextPreview);
    case RowCheck::kOpacity:
      return Opacity(), true;
    case RowCheck::kTextMargins:
      return TextMargins();
    case RowCheck::kPicture:
      return WatermarkPicture();
    case RowCheck::kPictureMargins:
      return PictureMargins();
  }
  return true;
}

}  // namespace lumivane
