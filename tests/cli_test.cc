#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "cli/cli_options.h"
#include "cli/cli_port.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

std::optional<cli::CliOptions> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string e;
  auto o = cli::ParseCliOptions(args, e);
  if (error) *error = e;
  return o;
}

TEST(CliOptionsTest, BadOptionsAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(Parse({}, &error));
  EXPECT_EQ(error, "--source is required");
  EXPECT_FALSE(Parse({"--source", "a", "--quality", "93"}, &error));
  EXPECT_EQ(error, "--quality: must be 50, 55, ... 100");
  EXPECT_FALSE(Parse({"--source", "a", "--rotate", "45"}, &error));
  EXPECT_FALSE(Parse({"--source", "a", "--color", "red"}, &error));
  EXPECT_FALSE(Parse({"--source", "a", "--text-position", "middle,top"}, &error));
  EXPECT_FALSE(Parse({"--source", "a", "--width"}, &error));
  EXPECT_EQ(error, "--width needs a value");
  EXPECT_FALSE(Parse({"--source", "a", "--frobnicate", "1"}, &error));
  EXPECT_EQ(error, "unknown option --frobnicate");
  EXPECT_TRUE(Parse({"--help"})->help);
}

TEST(CliPortTest, OptionsBecomeTheControlsTheRunReads) {
  auto o = Parse({"--source", "/s", "--target", "/t", "--width", "800", "--quality", "80", "--rotate",
                  "270", "--text", "店", "--color", "#ff0800", "--opacity", "30", "--text-position",
                  "left,center", "--image", "/m.png", "--image-margins", "3,4", "--subfolders"});
  ASSERT_TRUE(o);
  ProcessingSettings s;
  s.sy_text_w_value = 16;
  cli::CliPort port(*o, s, stderr, false);
  EXPECT_EQ(port.ControlText(Control::SourceFolderBox), "/s");
  EXPECT_EQ(port.ControlText(Control::TargetFolderBox), "/t");
  EXPECT_TRUE(port.IsChecked(Control::WidthCheck));
  EXPECT_EQ(port.ControlText(Control::WidthBox), "800");
  EXPECT_EQ(port.Selection(Control::QualityCombo), 4);
  EXPECT_EQ(port.Selection(Control::RotationCombo), 2);
  EXPECT_TRUE(port.IsChecked(Control::TextWatermarkCheck));
  EXPECT_EQ(port.Selection(Control::OpacityCombo), 7);
  EXPECT_EQ(port.Selection(Control::TextHorizontalPositionCombo), 1);
  EXPECT_EQ(port.Selection(Control::TextVerticalPositionCombo), 0);
  EXPECT_EQ(port.ControlText(Control::TextHorizontalMarginBox), "16");
  EXPECT_EQ(port.ControlText(Control::PictureVerticalMarginBox), "4");
  EXPECT_TRUE(port.IsChecked(Control::SubfoldersCheck));
  EXPECT_EQ(s.sy_text_font.sy_text_htmlColor, "#ff0800");
  EXPECT_EQ(s.sy_text_font.sy_text_rgbColors, 0x000008FFu);
}

int RunBatch(const std::string& folder, const std::string& args) {
  const std::string command =
      "cd '" + folder + "' && '" LUMIVANE_BATCH_BINARY "' " + args + " >out.txt 2>&1 </dev/null";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliRunTest, ExitCodesTellSuccessRefusalAndFailedPictures) {
  TempDir dir;
  dir.MakeFolder("src");
  MakePictureFile(dir / "src/a.jpg", 1000, 500, "red", "JPEG");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --width 300"), 0);
  MagickWandPtr w = LoadForTest(dir / "out/a.jpg");
  ASSERT_TRUE(w);
  EXPECT_EQ(MagickGetImageWidth(w.get()), 300u);
  // Existing outputs and no terminal: not overwritten.
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --width 200"), 1);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("你取消了本次图片处理"), std::string::npos);
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --width 200 --overwrite yes"), 0);
  EXPECT_EQ(RunBatch(dir.path(), "--source missing"), 1);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("提示: 图片源文件夹不存在，请重新选择"), std::string::npos);
  dir.WriteFile("src/broken.jpg", "nope");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out2"), 3);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("读取 src/broken.jpg 出错"), std::string::npos);
  EXPECT_EQ(RunBatch(dir.path(), "--bogus"), 2);
}

}  // namespace
}  // namespace lumivane
