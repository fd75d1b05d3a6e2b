#include "engine/run/input_checks.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <map>

#include "engine/picture/font_resolver.h"
#include "engine/run/folder_scan.h"
#include "tests/fake_window_port.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

class InputChecksTest : public ::testing::Test {
 protected:
  InputChecksTest() {
    in_ = DefaultInputs();
    in_.source = dir_.MakeFolder("src");
    in_.target = dir_ / "out";
    in_.picture = dir_.WriteFile("mark.png", "x");
  }
  // Runs every check; returns the one message shown ("" when all passed).
  std::string Check() {
    port_.ClearCalls();
    InputChecks checks(port_, in_, s_);
    std::string target;
    passed_ = CheckInputs(checks, {}, ChecksFor::kRun, target);
    focus_ = checks.focus();
    auto messages = port_.Calls("message");
    EXPECT_LE(messages.size(), 1u);
    return messages.empty() ? "" : messages.front();
  }
  std::string FocusName() const { return focus_ ? FieldName(*focus_) : "none"; }

  TempDir dir_;
  FakeWindowPort port_;
  UserInputs in_;
  ProcessingSettings s_;
  bool passed_ = false;
  std::optional<Field> focus_;
};

TEST_F(InputChecksTest, DefaultWindowPassesAndCreatesTheTargetWithItsMissingParents) {
  in_.target = dir_ / "new/deeper/out";
  EXPECT_EQ(Check(), "");
  EXPECT_TRUE(passed_);
  EXPECT_TRUE(IsDirectory(dir_ / "new/deeper/out"));
  EXPECT_EQ(s_.quanlity, 1);
  EXPECT_EQ(s_.sy_text_w_direction, 2);
  EXPECT_EQ(s_.sy_image_h_value, 16u);
}

// The text typed for an input a bad value is given to.
std::string& Typed(UserInputs& in, Field field) {
  switch (field) {
    case Field::kSource:
      return in.source;
    case Field::kWidth:
      return in.width;
    case Field::kTextHorizontalMargin:
      return in.text_place.horizontal_margin;
    case Field::kTextVerticalMargin:
      return in.text_place.vertical_margin;
    case Field::kPictureHorizontalMargin:
      return in.picture_place.horizontal_margin;
    default:
      return in.target;
  }
}

struct BadInput {
  const char* what;
  Field field;  // given the value, then named for the focus
  const char* value;
  const char* message;
  bool width_on = false;
};

TEST_F(InputChecksTest, EachBadInputGetsItsMessageAndFocus) {
  const BadInput cases[] = {
      {"empty source", Field::kSource, " ", "提示|请选择图片源文件夹|error"},
      {"missing source", Field::kSource, "/no/such/folder",
       "提示|图片源文件夹不存在，请重新选择|error"},
      {"empty width", Field::kWidth, "", "提示|图片宽不能为空|error", true},
      {"width 640px", Field::kWidth, "640px", "提示|图片宽必须为整数,取值范围: 1 - 9999|error",
       true},
      {"width 0", Field::kWidth, "0", "提示|图片宽取值范围: 1 - 9999|error", true},
      {"width 10000", Field::kWidth, "10000", "提示|图片宽取值范围: 1 - 9999|error", true},
      {"width of many digits", Field::kWidth, "99999999999999999999999",
       "提示|图片宽取值范围: 1 - 9999|error", true},
      {"empty right margin", Field::kTextHorizontalMargin, "",
       "提示|文字水印的右边距不能为空|error"},
      {"negative bottom margin", Field::kTextVerticalMargin, "-5",
       "提示|文字水印的下边距必须为整数,取值范围: 0 - 999|error"},
      {"margin 1000", Field::kPictureHorizontalMargin, "1000",
       "提示|图片水印的右边距取值范围: 0 - 999|error"},
      {"empty target", Field::kTarget, "", "提示|请选择图片处理后保存到哪个文件夹|error"},
      {"target below a file", Field::kTarget, "", "提示|创建图片处理后保存到的文件夹时出错|error"},
      {"target is the source, written otherwise", Field::kTarget, "",
       "提示|处理后保存到的文件夹不能是图片源文件夹|error"},
#ifndef _WIN32  // links made as POSIX makes them
      {"target is the source through a link", Field::kTarget, "",
       "提示|处理后保存到的文件夹不能是图片源文件夹|error"},
#endif
  };
#ifndef _WIN32
  ASSERT_EQ(symlink((dir_ / "src").c_str(), (dir_ / "link").c_str()), 0);
#endif
  const std::map<std::string, std::string> targets = {
      {"target below a file", dir_ / "mark.png/out"},
      {"target is the source, written otherwise", dir_ / "src/../src/./"},
      {"target is the source through a link", dir_ / "link"},
  };
  for (const auto& c : cases) {
    in_ = DefaultInputs();
    in_.source = dir_ / "src";
    in_.target = dir_ / "out";
    in_.width_on = c.width_on;
    Typed(in_, c.field) = c.value;
    if (targets.count(c.what)) in_.target = targets.at(c.what);
    EXPECT_EQ(Check(), c.message) << c.what;
    EXPECT_FALSE(passed_) << c.what;
    EXPECT_EQ(FocusName(), FieldName(c.field)) << c.what;
  }
}

TEST_F(InputChecksTest, WidthIsReadWholeTrimmedAndDefaultedWhenItsSwitchIsOff) {
  in_.width_on = true;
  in_.width = " 800";
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.width, 800);

  in_.width_on = false;
  in_.width = "";
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.width, 640);

  s_.width = 321;  // a number with the switch off is not taken
  in_.width = "900";
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.width, 321);
}

TEST_F(InputChecksTest, MarginsAreCheckedEvenWithTheirWatermarkOff) {
  in_.text_place.horizontal = 1;
  in_.text_place.horizontal_margin = "";
  EXPECT_EQ(Check(), "提示|文字水印的左边距不能为空|error");
}

TEST_F(InputChecksTest, CentredMarginsTakeAnyNumberOrDefaultTo16) {
  in_.text_place.horizontal = 0;
  in_.text_place.horizontal_margin = "abc";
  in_.picture_place.vertical = 0;
  in_.picture_place.vertical_margin = "5000";
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.sy_text_w_value, 16u);
  EXPECT_EQ(s_.sy_image_h_value, 5000u);
  in_.text_place.vertical = 2;
  in_.text_place.vertical_margin = "0";
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.sy_text_h_value, 0u);
}

TEST_F(InputChecksTest, FailedCheckLeavesNewValuesBeforeItAndOldValuesAfter) {
  s_.sy_text = "old text";
  s_.sy_image = "old picture";
  in_.width_on = true;
  in_.width = "800";
  in_.text = "new text";
  in_.text_place.vertical_margin = "x";
  EXPECT_NE(Check(), "");
  EXPECT_EQ(s_.width, 800);
  EXPECT_EQ(s_.sy_text, "new text");
  EXPECT_EQ(s_.sy_image, "old picture");
}

TEST_F(InputChecksTest, WatermarkTextAndPictureAreRequiredOnlyWhenSwitchedOn) {
  in_.text = "";
  in_.picture = "";
  EXPECT_EQ(Check(), "");
  in_.text_mark = true;
  EXPECT_EQ(Check(), "提示|请输入水印文字内容|error");
  EXPECT_EQ(FocusName(), "text");
}

TEST_F(InputChecksTest, ChineseTextNeedsAFontThatShowsIt) {
  in_.text_mark = true;
  in_.text = "宝贝店铺";
  s_.sy_text_font.sy_text_fontName = "Arial";
  // And which face here would show it.
  EXPECT_EQ(Check(),
            "提示|当前选择的字体无法正常显示水印文字里的中文，请重新选择一个字体。\n"
            "这台电脑上的“" +
                ChineseFaceFor("宝贝店铺") + "”字体可以显示这些文字。|warning");
  EXPECT_TRUE(FontShowsChinese({ChineseFaceFor("宝贝店铺")}));
  EXPECT_EQ(FocusName(), "font");
  in_ = DefaultInputs();
  in_.source = dir_ / "src";
  in_.target = dir_ / "out";
  in_.text_mark = true;
  in_.text = "shop only";  // Latin text: no font test
  EXPECT_EQ(Check(), "");
}

TEST_F(InputChecksTest, MissingWatermarkPictureIsRefusedWhenSwitchedOn) {
  in_.picture_mark = true;
  in_.picture = dir_ / "nope.png";
  EXPECT_EQ(Check(), "提示|水印图片不存在，请重新选择|error");
  EXPECT_EQ(FocusName(), "picture");
}

}  // namespace
}  // namespace lumivane
