#include "engine/run/basic_rows.h"

#include <map>
#include <optional>

#include "engine/picture/colour.h"
#include "engine/picture/operation_table.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// "right,bottom" as the window's choice boxes' positions (0 centred, 1 the
// near edge, 2 the far one).
std::string TakePlace(const std::string& value, MarkPlace& place) {
  static const std::map<std::string, int> kAcross = {{"center", 0}, {"left", 1}, {"right", 2}};
  static const std::map<std::string, int> kDown = {{"center", 0}, {"top", 1}, {"bottom", 2}};
  const auto p = SplitOnce(value, ',');
  if (!p || !kAcross.count(p->first) || !kDown.count(p->second)) {
    return "must be H,V with H left|center|right and V top|center|bottom";
  }
  place.horizontal = kAcross.at(p->first);
  place.vertical = kDown.at(p->second);
  return "";
}

// "X,Y" as typed into the margin boxes: the run's checks decide them.
std::string TakeMargins(const std::string& value, MarkPlace& place) {
  const auto p = SplitOnce(value, ',');
  if (!p) return "must be X,Y";
  std::tie(place.horizontal_margin, place.vertical_margin) = *p;
  return "";
}

// The position of the window's choice box that offers the number.
std::optional<int> Offered(const std::string& value, std::optional<int> (*position)(int)) {
  const auto v = WholeNumber(value);
  return v ? position(*v) : std::nullopt;
}

// An input of the window's, for its row's controls.
template <auto member>
auto& Input(UserInputs& in) {
  return in.*member;
}
template <auto place, auto part>
auto& PlaceInput(UserInputs& in) {
  return (in.*place).*part;
}

using In = UserInputs;
using Font = FontChoice;

// Each operation's part of the log line, from the values the checks took.
std::string LogWidth(const In& on, const ProcessingSettings& s) {
  return on.width_on ? "宽度 " + std::to_string(s.width) : "";
}
std::string LogQuality(const In& on, const ProcessingSettings& s) {
  return on.quality_on ? "质量 " + std::to_string(QualityFor(s.quanlity)) : "";
}
std::string LogRotation(const In& on, const ProcessingSettings&) {
  return on.rotation_on ? "旋转 " + std::to_string(RotationAngleFor(on.rotation)) + "°" : "";
}
std::string LogTextMark(const In& on, const ProcessingSettings& s) {
  if (!on.text_mark) return "";
  const bool beside = on.picture_mark && MarksShareAPlace(s);
  return "文字水印“" + s.sy_text + "”" + (beside ? "（与水印图片同一位置，放在图片旁边）" : "");
}
std::string LogPictureMark(const In& on, const ProcessingSettings& s) {
  return on.picture_mark ? "水印图片 " + std::string(platform::LastName(s.sy_image)) : "";
}

}  // namespace

const std::vector<BasicRow>& BasicRows() {
  static const std::vector<BasicRow> rows = {
      {
          .option = "width",
          .argument = "N",
          .usage = "shrink to N pixels wide (1-" + std::to_string(kMaxWidth) +
                   "), never enlarge; the height in proportion, truncated",
          .take =
              [](const std::string& v, In& in, Font&) {
                in.width_on = true;
                in.width = v;
                return std::string();
              },
          .fields = {Field::kWidth},
          .log = LogWidth,
          .check = RowCheck::kWidth,
          .window = {{"WidthCheck", &Input<&In::width_on>}, {"WidthBox", &Input<&In::width>}},
      },
      {
          .option = "quality",
          .argument = "Q",
          .usage = "JPEG quality " + std::to_string(QualityFor(kQualityChoices - 1)) + "-" +
                   std::to_string(QualityFor(0)) + " in steps of 5 (default from config.dat)",
          .take =
              [](const std::string& v, In& in, Font&) {
                const auto at = Offered(v, QualityPosition);
                if (!at) return std::string("must be 50, 55, ... 100");
                in.quality = *at;
                return std::string();
              },
          .log = LogQuality,
          .check = RowCheck::kQuality,
          .window = {{"QualityCheck", &Input<&In::quality_on>},
                     {"QualityCombo", &Input<&In::quality>}},
      },
      {
          .option = "rotate",
          .argument = "DEG",
          .usage = "rotate clockwise by 90, 180 or 270 degrees",
          .take =
              [](const std::string& v, In& in, Font&) {
                const auto at = Offered(v, RotationPosition);
                if (!at) return std::string("must be 90, 180 or 270");
                in.rotation_on = true;
                in.rotation = *at;
                return std::string();
              },
          .log = LogRotation,
          .window = {{"RotationCheck", &Input<&In::rotation_on>},
                     {"RotationCombo", &Input<&In::rotation>}},
      },
      {
          .option = "text",
          .argument = "TEXT",
          .usage = "print TEXT on every picture; {name}, {n}, {n:03}, {folder}, {date} and "
                   "{w}, {h} print each picture's own (as in --rename)",
          .take =
              [](const std::string& v, In& in, Font&) {
                in.text_mark = true;
                in.text = v;
                return std::string();
              },
          .fields = {Field::kText},
          .log = LogTextMark,
          .check = RowCheck::kText,
          .group = RowGroup::kTextMark,
          .window = {{"TextWatermarkCheck", &Input<&In::text_mark>},
                     {"WatermarkTextBox", &Input<&In::text>}},
      },
      {
          .option = "font",
          .argument = "NAME",
          .usage = "font of the text (e.g. \"WenQuanYi Zen Hei\" for Chinese)",
          .take =
              [](const std::string& v, In&, Font& f) {
                f.sy_text_fontName = v;
                return std::string();
              },
      },
      {
          .option = "font-size",
          .argument = "PT",
          .usage = "size of the text in points (" + std::to_string(kMinFontSize) + "-" +
                   std::to_string(kMaxFontSize) + ")",
          .take =
              [](const std::string& v, In&, Font& f) {
                const auto pt = WholeNumber(v);
                if (!pt || *pt < kMinFontSize || *pt > kMaxFontSize) {
                  return "must be " + std::to_string(kMinFontSize) + " to " +
                         std::to_string(kMaxFontSize);
                }
                f.sy_text_fontSize = *pt;
                return std::string();
              },
      },
      {
          .option = "color",
          .argument = "#RRGGBB",
          .usage = "colour of the text",
          .take =
              [](const std::string& v, In&, Font& f) {
                const auto rgb = ParseHtmlColour(v);
                if (!rgb) return std::string("must be #RRGGBB");
                f.sy_text_rgbColors = BgrOf(*rgb);
                return std::string();
              },
      },
      {
          .option = "bold",
          .usage = "style of the text (--no-bold, --no-italic: plain)",
          .shown = "--bold, --italic",
          .take =
              [](const std::string&, In&, Font& f) {
                f.sy_text_isWeight = 1;
                return std::string();
              },
      },
      {
          .option = "italic",
          .take =
              [](const std::string&, In&, Font& f) {
                f.sy_text_isItalic = 1;
                return std::string();
              },
      },
      {
          .option = "no-bold",
          .take =
              [](const std::string&, In&, Font& f) {
                f.sy_text_isWeight = 0;
                return std::string();
              },
      },
      {
          .option = "no-italic",
          .take =
              [](const std::string&, In&, Font& f) {
                f.sy_text_isItalic = 0;
                return std::string();
              },
      },
      {
          .option = "opacity",
          .argument = "P",
          .usage = "opacity of the text, 10-100 percent in steps of 10",
          .take =
              [](const std::string& v, In& in, Font&) {
                const auto at = Offered(v, OpacityPosition);
                if (!at) return std::string("must be 10, 20, ... 100");
                in.opacity = *at;
                return std::string();
              },
          .check = RowCheck::kOpacity,
          .group = RowGroup::kTextMark,
          .window = {{"OpacityCombo", &Input<&In::opacity>}},
      },
      {
          .option = "text-position",
          .argument = "H,V",
          .usage = "H: left|center|right, V: top|center|bottom",
          .take = [](const std::string& v, In& in, Font&) { return TakePlace(v, in.text_place); },
          .window = {{"TextHorizontalPositionCombo",
                      &PlaceInput<&In::text_place, &MarkPlace::horizontal>},
                     {"TextVerticalPositionCombo",
                      &PlaceInput<&In::text_place, &MarkPlace::vertical>}},
      },
      {
          .option = "text-margins",
          .argument = "X,Y",
          .usage = "margins of the text in pixels (0-" + std::to_string(kMaxMargin) + ")",
          .take = [](const std::string& v, In& in, Font&) { return TakeMargins(v, in.text_place); },
          .fields = {Field::kTextHorizontalMargin, Field::kTextVerticalMargin},
          .check = RowCheck::kTextMargins,
          .group = RowGroup::kTextMark,
          .window = {{"TextHorizontalMarginBox",
                      &PlaceInput<&In::text_place, &MarkPlace::horizontal_margin>},
                     {"TextVerticalMarginBox",
                      &PlaceInput<&In::text_place, &MarkPlace::vertical_margin>}},
      },
      {
          .option = "image",
          .argument = "FILE",
          .usage = "lay the picture FILE on every picture",
          .take =
              [](const std::string& v, In& in, Font&) {
                in.picture_mark = true;
                in.picture = v;
                return std::string();
              },
          .log = LogPictureMark,
          .check = RowCheck::kPicture,
          .group = RowGroup::kPictureMark,
          .window = {{"PictureWatermarkCheck", &Input<&In::picture_mark>},
                     {"WatermarkPictureBox", &Input<&In::picture>}},
      },
      {
          .option = "image-position",
          .argument = "H,V",
          .usage = "as --text-position, for the picture watermark",
          .take = [](const std::string& v, In& in,
                     Font&) { return TakePlace(v, in.picture_place); },
          .window = {{"PictureHorizontalPositionCombo",
                      &PlaceInput<&In::picture_place, &MarkPlace::horizontal>},
                     {"PictureVerticalPositionCombo",
                      &PlaceInput<&In::picture_place, &MarkPlace::vertical>}},
      },
      {
          .option = "image-margins",
          .argument = "X,Y",
          .usage =
              "margins of the picture watermark in pixels (0-" + std::to_string(kMaxMargin) + ")",
          .take = [](const std::string& v, In& in,
                     Font&) { return TakeMargins(v, in.picture_place); },
          .fields = {Field::kPictureHorizontalMargin, Field::kPictureVerticalMargin},
          .check = RowCheck::kPictureMargins,
          .group = RowGroup::kPictureMark,
          .window = {{"PictureHorizontalMarginBox",
                      &PlaceInput<&In::picture_place, &MarkPlace::horizontal_margin>},
                     {"PictureVerticalMarginBox",
                      &PlaceInput<&In::picture_place, &MarkPlace::vertical_margin>}},
      },
  };
  return rows;
}

const BasicRow* FindBasicRow(std::string_view option) {
  if (!option.starts_with("--")) return nullptr;
  option.remove_prefix(2);
  for (const BasicRow& row : BasicRows()) {
    if (option == row.option) return &row;
  }
  return nullptr;
}

std::string DescribeBasics(const UserInputs& on, const ProcessingSettings& settings) {
  std::string text;
  for (const BasicRow& row : BasicRows()) {
    const std::string part = row.log != nullptr ? row.log(on, settings) : "";
    if (!part.empty()) text += (text.empty() ? "" : "，") + part;
  }
  return text.empty() ? text : "处理：" + text;
}

std::string BasicRowsUsage(size_t column) {
  std::string usage;
  for (const BasicRow& row : BasicRows()) {
    if (row.usage.empty()) continue;
    std::string head = row.shown != nullptr ? row.shown : std::string("--") + row.option;
    if (row.shown == nullptr && row.argument[0] != '\0') head += std::string(" ") + row.argument;
    usage += UsageEntry(head, row.usage, column);
  }
  return usage;
}

}  // namespace lumivane
