#include "engine/input_checks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "engine/folder_scan.h"
#include "tests/fake_window_port.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

class InputChecksTest : public ::testing::Test {
 protected:
  InputChecksTest() {
    port_.Set(Control::SourceFolderBox, dir_.MakeFolder("src"));
    port_.Set(Control::TargetFolderBox, dir_ / "out");
    port_.Set(Control::WatermarkPictureBox, dir_.WriteFile("mark.png", "x"));
  }
  // Runs every check; returns the one message shown ("" when all passed).
  std::string Check() {
    port_.ClearCalls();
    InputChecks checks(port_, s_);
    std::string target;
    passed_ = RunInputChecks(checks, checks.ReadTrimmed(Control::SourceFolderBox), target);
    focus_ = checks.focus();
    auto messages = port_.Calls("message");
    EXPECT_LE(messages.size(), 1u);
    return messages.empty() ? "" : messages.front();
  }
  std::string FocusName() const { return focus_ ? ControlName(*focus_) : "none"; }

  TempDir dir_;
  FakeWindowPort port_;
  ProcessingSettings s_;
  bool passed_ = false;
  std::optional<Control> focus_;
};

TEST_F(InputChecksTest, DefaultWindowPassesAndCreatesTheTargetWithItsMissingParents) {
  port_.Set(Control::TargetFolderBox, dir_ / "new/deeper/out");
  EXPECT_EQ(Check(), "");
  EXPECT_TRUE(passed_);
  EXPECT_TRUE(IsDirectory(dir_ / "new/deeper/out"));
  EXPECT_EQ(s_.quanlity, 1);
  EXPECT_EQ(s_.sy_text_w_direction, 2);
  EXPECT_EQ(s_.sy_image_h_value, 16u);
}

struct BadInput {
  const char* what;
  Control control;
  const char* value;
  const char* message;
  const char* focus;
  bool width_on = false;
};

TEST_F(InputChecksTest, EachBadInputGetsItsMessageAndFocus) {
  const BadInput cases[] = {
      {"empty source", Control::SourceFolderBox, " ", "提示|请选择图片源文件夹|error",
       "SourceFolderBrowseButton"},
      {"missing source", Control::SourceFolderBox, "/no/such/folder",
       "提示|图片源文件夹不存在，请重新选择|error", "SourceFolderBrowseButton"},
      {"empty width", Control::WidthBox, "", "提示|图片宽不能为空|error", "WidthBox", true},
      {"width 640px", Control::WidthBox, "640px", "提示|图片宽必须为整数,取值范围: 1 - 9999|error",
       "WidthBox", true},
      {"width 0", Control::WidthBox, "0", "提示|图片宽取值范围: 1 - 9999|error", "WidthBox", true},
      {"width 10000", Control::WidthBox, "10000", "提示|图片宽取值范围: 1 - 9999|error", "WidthBox",
       true},
      {"width of many digits", Control::WidthBox, "99999999999999999999999",
       "提示|图片宽取值范围: 1 - 9999|error", "WidthBox", true},
      {"empty right margin", Control::TextHorizontalMarginBox, "",
       "提示|文字水印的右边距不能为空|error", "TextHorizontalMarginBox"},
      {"negative bottom margin", Control::TextVerticalMarginBox, "-5",
       "提示|文字水印的下边距必须为整数,取值范围: 0 - 999|error", "TextVerticalMarginBox"},
      {"margin 1000", Control::PictureHorizontalMarginBox, "1000",
       "提示|图片水印的右边距取值范围: 0 - 999|error", "PictureHorizontalMarginBox"},
      {"empty target", Control::TargetFolderBox, "", "提示|请选择图片处理后保存到哪个文件夹|error",
       "TargetFolderBrowseButton"},
      {"target below a file", Control::TargetFolderBox, "",
       "提示|创建图片处理后保存到的文件夹时出错|error", "TargetFolderBrowseButton"},
      {"target is the source, written otherwise", Control::TargetFolderBox, "",
       "提示|处理后保存到的文件夹不能是图片源文件夹|error", "TargetFolderBrowseButton"},
      {"target is the source through a link", Control::TargetFolderBox, "",
       "提示|处理后保存到的文件夹不能是图片源文件夹|error", "TargetFolderBrowseButton"},
  };
  ASSERT_EQ(symlink((dir_ / "src").c_str(), (dir_ / "link").c_str()), 0);
  const std::map<std::string, std::string> targets = {
      {"target below a file", dir_ / "mark.png/out"},
      {"target is the source, written otherwise", dir_ / "src/../src/./"},
      {"target is the source through a link", dir_ / "link"},
  };
  for (const auto& c : cases) {
    port_.Reset();
    port_.Set(Control::SourceFolderBox, dir_ / "src");
    port_.Set(Control::TargetFolderBox, dir_ / "out");
    port_.Check(Control::WidthCheck, c.width_on);
    port_.Set(c.control, c.value);
    if (targets.count(c.what)) port_.Set(Control::TargetFolderBox, targets.at(c.what));
    EXPECT_EQ(Check(), c.message) << c.what;
    EXPECT_FALSE(passed_) << c.what;
    EXPECT_EQ(FocusName(), c.focus) << c.what;
  }
}

TEST_F(InputChecksTest, WidthIsReadWholeTrimmedAndDefaultedWhenItsSwitchIsOff) {
  port_.Check(Control::WidthCheck);
  port_.Set(Control::WidthBox, " 800");
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.width, 800);

  port_.Check(Control::WidthCheck, false);
  port_.Set(Control::WidthBox, "");
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.width, 640);

  s_.width = 321;  // a number with the switch off is not taken
  port_.Set(Control::WidthBox, "900");
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.width, 321);
}

TEST_F(InputChecksTest, MarginsAreCheckedEvenWithTheirWatermarkOff) {
  port_.Select(Control::TextHorizontalPositionCombo, 1);
  port_.Set(Control::TextHorizontalMarginBox, "");
  EXPECT_EQ(Check(), "提示|文字水印的左边距不能为空|error");
}

TEST_F(InputChecksTest, CentredMarginsTakeAnyNumberOrDefaultTo16) {
  port_.Select(Control::TextHorizontalPositionCombo, 0);
  port_.Set(Control::TextHorizontalMarginBox, "abc");
  port_.Select(Control::PictureVerticalPositionCombo, 0);
  port_.Set(Control::PictureVerticalMarginBox, "5000");
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.sy_text_w_value, 16u);
  EXPECT_EQ(s_.sy_image_h_value, 5000u);
  port_.Select(Control::TextVerticalPositionCombo, 2);
  port_.Set(Control::TextVerticalMarginBox, "0");
  EXPECT_EQ(Check(), "");
  EXPECT_EQ(s_.sy_text_h_value, 0u);
}

TEST_F(InputChecksTest, FailedCheckLeavesNewValuesBeforeItAndOldValuesAfter) {
  s_.sy_text = "old text";
  s_.sy_image = "old picture";
  port_.Check(Control::WidthCheck);
  port_.Set(Control::WidthBox, "800");
  port_.Set(Control::WatermarkTextBox, "new text");
  port_.Set(Control::TextVerticalMarginBox, "x");
  EXPECT_NE(Check(), "");
  EXPECT_EQ(s_.width, 800);
  EXPECT_EQ(s_.sy_text, "new text");
  EXPECT_EQ(s_.sy_image, "old picture");
}

TEST_F(InputChecksTest, WatermarkTextAndPictureAreRequiredOnlyWhenSwitchedOn) {
  port_.Set(Control::WatermarkTextBox, "");
  port_.Set(Control::WatermarkPictureBox, "");
  EXPECT_EQ(Check(), "");
  port_.Check(Control::TextWatermarkCheck);
  EXPECT_EQ(Check(), "提示|请输入水印文字内容|error");
  EXPECT_EQ(FocusName(), "WatermarkTextBox");
}

TEST_F(InputChecksTest, ChineseTextNeedsAFontThatShowsIt) {
  port_.Check(Control::TextWatermarkCheck);
  port_.Set(Control::WatermarkTextBox, "宝贝店铺");
  s_.sy_text_font.sy_text_fontName = "Arial";
  EXPECT_EQ(Check(),
            "提示|当前选择的字体无法正常显示水印文字里的中文，请重新选择一个字体。|warning");
  EXPECT_EQ(FocusName(), "FontButton");
  port_.Reset();
  port_.Set(Control::SourceFolderBox, dir_ / "src");
  port_.Set(Control::TargetFolderBox, dir_ / "out");
  port_.Check(Control::TextWatermarkCheck);
  port_.Set(Control::WatermarkTextBox, "shop only");  // Latin text: no font test
  EXPECT_EQ(Check(), "");
}

TEST_F(InputChecksTest, MissingWatermarkPictureIsRefusedWhenSwitchedOn) {
  port_.Check(Control::PictureWatermarkCheck);
  port_.Set(Control::WatermarkPictureBox, dir_ / "nope.png");
  EXPECT_EQ(Check(), "提示|水印图片不存在，请重新选择|error");
  EXPECT_EQ(FocusName(), "WatermarkPictureBrowseButton");
}

}  // namespace
}  // namespace lumivane
