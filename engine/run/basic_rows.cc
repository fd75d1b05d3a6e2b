#include "engine/run/basic_rows.h"

#include <array>
#include <map>
#include <optional>

#include "engine/picture/choice_table.h"
#include "engine/picture/colour.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/picture_switches.h"
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
using Switches = PictureSwitches;

// The turns the window offers, clockwise in degrees.
constexpr std::array<int, 3> kAngles = {90, 180, 270};
int AngleAt(int position) { return Lookup(kAngles, position); }
// "90, 180 or 270", as --help and a refusal name them.
std::string Angles() {
  std::string text;
  for (size_t i = 0; i < kAngles.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == kAngles.size() ? " or " : ", ") + std::to_string(kAngles[i]);
  }
  return text;
}
std::optional<int> AnglePosition(int degrees) { return PositionOf(kAngles, degrees); }

// A choice box's items: each position of its list as the window writes it.
std::vector<std::string> Items(int count, std::string (*item)(int position)) {
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) items.push_back(item(i));
  return items;
}
std::string QualityItem(int i) {
  const int q = QualityFor(i);
  return std::to_string(q) + (q == 95 ? " - 高" : q == 75 ? " - 中" : q == 50 ? " - 低" : "");
}
std::string RotationItem(int i) {
  const int angle = AngleAt(i);
  return (angle < 100 ? " " : "") + std::to_string(angle) + "度";
}
std::string OpacityItem(int i) {
  return std::to_string(static_cast<int>(OpacityFor(i) * 100 + 0.5f)) + "%";
}
const std::vector<std::string> kAcrossItems = {"水平距中", "左边距", "右边距"};
const std::vector<std::string> kDownItems = {"垂直距中", "上边距", "下边距"};

// The help bubble's texts on the rows' controls.
constexpr char kWidthHelp[] =
    "图片宽是指希望将图片缩小到的新宽度，单位：像素。\n\n当原图宽度大于设置的新宽度时，会将原图的宽"
    "度缩小到\n"
    "设置的新宽度，图片高度会等比例缩小。\n\n注意：如果原图的宽度小于设置的新宽度，由于放大图片\n"
    "会让图片变的模糊，因此不会对原图进行放大处理，原图\n宽度保持不变。";
constexpr char kQualityHelp[] =
    "图片品质，指的是图片压缩后的图片质量。\n\n图片品质高，图片清晰度就高，图片占用空间会大一些。\n"
    "反之，图片品质低一些，图片清晰度就低一些，但图片占\n用的空间小，可以节省图片空间。\n\n"
    "可以从图片清晰度和图片占用的空间之间寻找一个平衡点\n，图片品质建议设置： 80 至 95。";
constexpr char kRotationHelp[] = "图片按照指定的角度进行顺时针旋转。";
constexpr char kTextSwitchHelp[] =
    "开启或关闭文字水印功能。\n将一行文字印在图片上，很多淘宝卖家将店铺地址或店铺\n"
    "名印在宝贝图片上，这是常用的宝贝图片防盗方法。";
constexpr char kTextHelp[] =
    "印在图片上的文字，一般设置为店铺地址或店铺名。\n"
    "可写入每张图片自己的信息：{name} 原名，{n} 编号，{n:03} 三位编号，\n"
    "{folder} 所在文件夹名，{date} 处理日期，{w}、{h} 处理后的宽和高。";
constexpr char kTextPlaceHelp[] =
    "设置文字在图片上显示的位置，例如在图片右下角显示，\n或在图片中间位置显示文字。";
constexpr char kOpacityHelp[] = "设置显示在图片上的文字透明效果，100%表示不透明。";
constexpr char kPictureSwitchHelp[] =
    "开启或关闭图片水印功能。\n将一张设计好的图片印在你的宝贝图片上。";
constexpr char kPictureHelp[] =
    "选择一张你设计好的含有水印内容的图片，这张图片将印\n在宝贝图片上，你可以使用ps软件来设计图片的"
    "内容，例\n"
    "如可以设置多行文字显示在宝贝图片上。\n\n提示：使用PNG格式的水印图片可以实现水印透明效果。";
constexpr char kPicturePlaceHelp[] =
    "设置水印图片在宝贝图片上的显示的位置，例如在图片右\n下角显示，或在图片中间位置显示水印图片。";

// Each operation's part of the log line, from the values the checks took.
std::string LogWidth(const In& on, const ProcessingSettings& s) {
  return on.width_on ? "宽度 " + std::to_string(s.width) : "";
}
std::string LogQuality(const In& on, const ProcessingSettings& s) {
  return on.quality_on ? "质量 " + std::to_string(QualityFor(s.quanlity)) : "";
}
std::string LogRotation(const In& on, const ProcessingSettings&) {
  return on.rotation_on ? "旋转 " + std::to_string(AngleAt(on.rotation)) + "°" : "";
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
          .pipeline = [](const In& on, Switches& s) { s.width = on.width_on; },
          .window = {{"WidthCheck", &Input<&In::width_on>, kWidthHelp},
                     {"WidthBox", &Input<&In::width>, kWidthHelp}},
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
          .pipeline = [](const In& on, Switches& s) { s.quality = on.quality_on; },
          .window = {{"QualityCheck", &Input<&In::quality_on>, kQualityHelp},
                     {"QualityCombo", &Input<&In::quality>, kQualityHelp,
                      Items(kQualityChoices, QualityItem), 1}},
      },
      {
          .option = "rotate",
          .argument = "DEG",
          .usage = "rotate clockwise by " + Angles() + " degrees",
          .take =
              [](const std::string& v, In& in, Font&) {
                const auto at = Offered(v, AnglePosition);
                if (!at) return "must be " + Angles();
                in.rotation_on = true;
                in.rotation = *at;
                return std::string();
              },
          .log = LogRotation,
          .pipeline = [](const In& on,
                         Switches& s) { s.rotation = on.rotation_on ? AngleAt(on.rotation) : 0; },
          .window = {{"RotationCheck", &Input<&In::rotation_on>, kRotationHelp},
                     {"RotationCombo", &Input<&In::rotation>, kRotationHelp,
                      Items(int{kAngles.size()}, RotationItem)}},
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
          .pipeline = [](const In& on, Switches& s) { s.text_watermark = on.text_mark; },
          .window = {{"TextWatermarkCheck", &Input<&In::text_mark>, kTextSwitchHelp},
                     {"WatermarkTextBox", &Input<&In::text>, kTextHelp}},
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
          .window = {{"OpacityCombo", &Input<&In::opacity>, kOpacityHelp,
                      Items(kOpacityChoices, OpacityItem)}},
      },
      {
          .option = "text-position",
          .argument = "H,V",
          .usage = "H: left|center|right, V: top|center|bottom",
          .take = [](const std::string& v, In& in, Font&) { return TakePlace(v, in.text_place); },
          .window = {{"TextHorizontalPositionCombo",
                      &PlaceInput<&In::text_place, &MarkPlace::horizontal>, kTextPlaceHelp,
                      kAcrossItems, 2},
                     {"TextVerticalPositionCombo",
                      &PlaceInput<&In::text_place, &MarkPlace::vertical>, kTextPlaceHelp,
                      kDownItems, 2}},
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
                      &PlaceInput<&In::text_place, &MarkPlace::horizontal_margin>, kTextPlaceHelp},
                     {"TextVerticalMarginBox",
                      &PlaceInput<&In::text_place, &MarkPlace::vertical_margin>, kTextPlaceHelp}},
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
          .pipeline = [](const In& on, Switches& s) { s.picture_watermark = on.picture_mark; },
          .window = {{"PictureWatermarkCheck", &Input<&In::picture_mark>, kPictureSwitchHelp},
                     {"WatermarkPictureBox", &Input<&In::picture>, kPictureHelp}},
      },
      {
          .option = "image-position",
          .argument = "H,V",
          .usage = "as --text-position, for the picture watermark",
          .take = [](const std::string& v, In& in,
                     Font&) { return TakePlace(v, in.picture_place); },
          .window = {{"PictureHorizontalPositionCombo",
                      &PlaceInput<&In::picture_place, &MarkPlace::horizontal>, kPicturePlaceHelp,
                      kAcrossItems, 2},
                     {"PictureVerticalPositionCombo",
                      &PlaceInput<&In::picture_place, &MarkPlace::vertical>, kPicturePlaceHelp,
                      kDownItems, 2}},
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
                      &PlaceInput<&In::picture_place, &MarkPlace::horizontal_margin>,
                      kPicturePlaceHelp},
                     {"PictureVerticalMarginBox",
                      &PlaceInput<&In::picture_place, &MarkPlace::vertical_margin>,
                      kPicturePlaceHelp}},
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
