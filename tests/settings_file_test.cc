#include "settings/settings_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "engine/picture/settings_text.h"
#include "settings/options_file.h"
#include "settings/program_folder.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using ::lumivane::testing::ReadWholeFile;
using ::lumivane::testing::TempDir;

// Runs each test with a fresh folder as the program folder.
class SettingsFileTest : public ::testing::Test {
 protected:
  std::string ConfigPath() const { return dir_ / "config.dat"; }

  TempDir dir_;
};

TEST_F(SettingsFileTest, FirstStartWritesAndLoadsTheDefaults) {
  ProcessingSettings s;
  ASSERT_TRUE(LoadSettings(dir_.path(), s));
  const std::string expected =
      "width=640\r\nquanlity=1\r\nsy_text=https://shop.example.com\r\nsy_text_opacity=0\r\n"
      "sy_text_w_direction=2\r\nsy_text_w_value=16\r\nsy_text_h_direction=2\r\n"
      "sy_text_h_value=16\r\nsy_text_fontName=Arial\r\nsy_text_fontSize=26\r\n"
      "sy_text_isItalic=0\r\nsy_text_isWeight=0\r\nsy_text_htmlColor=#000000\r\n"
      "sy_text_rgbColors=0\r\nsy_image=" +
      dir_.path() +
      "/images/sy.png\r\nsy_image_w_direction=2\r\nsy_image_w_value=16\r\n"
      "sy_image_h_direction=2\r\nsy_image_h_value=16\r\n";
  EXPECT_EQ(ReadWholeFile(ConfigPath()), expected);
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(QualityFor(s.quanlity), 95);
  EXPECT_FLOAT_EQ(OpacityFor(s.sy_text_opacity), 1.0f);
  EXPECT_EQ(HorizontalDirectionFor(s.sy_text_w_direction), kFarEdge);
  EXPECT_EQ(VerticalDirectionFor(s.sy_image_h_direction), kFarEdge);
  EXPECT_EQ(s.sy_text_font, (FontChoice{"Arial", 26, 0, 0, 0}));
  EXPECT_EQ(s.sy_image, dir_.path() + "/images/sy.png");
}

TEST_F(SettingsFileTest, EveryFieldRoundTripsThroughSaveAndLoad) {
  ProcessingSettings first;
  ASSERT_TRUE(LoadSettings(dir_.path(), first));
  ProcessingSettings s;
  s.width = 1234;
  s.quanlity = 10;
  s.sy_text = "店铺：https://x.example.com/?a=b ☆";
  s.sy_text_opacity = 9;
  s.sy_text_w_direction = 1;
  s.sy_text_w_value = 0;
  s.sy_text_h_direction = 0;
  s.sy_text_h_value = 999;
  s.sy_text_font = {"WenQuanYi Zen Hei", 72, 0xAB000C, 1, 1};
  s.sy_image = dir_.path() + "/水印/logo.png";
  s.sy_image_w_direction = 0;
  s.sy_image_w_value = 5;
  s.sy_image_h_direction = 1;
  s.sy_image_h_value = 7;
  ASSERT_TRUE(SaveSettings(dir_.path(), s));
  const std::string disk = ReadWholeFile(ConfigPath());
  EXPECT_NE(disk.find("sy_text=\xB5\xEA\xC6\xCC"), std::string::npos) << "stored as GBK";
  EXPECT_EQ(disk.substr(disk.size() - 2), "\r\n");
  ProcessingSettings back;
  ASSERT_TRUE(LoadSettings(dir_.path(), back));
  EXPECT_EQ(back, s);
}

#ifndef _WIN32  // names that are not text exist only where names are bytes
TEST_F(SettingsFileTest, WatermarkPathsThatAreNotTextReadBackAsTheSameBytes) {
  ProcessingSettings s;
  ASSERT_TRUE(LoadSettings(dir_.path(), s));
  // Latin-1 names: "\xFF" is no GBK at all; "\xE9t" happens to be a GBK
  // character, so only the file that exists tells which was meant.
  for (const std::string name : {"logo\xFF.png", "caf\xE9t\xE9.png", "水印.png"}) {
    s.sy_image = dir_.WriteFile(name, "x");
    ASSERT_TRUE(SaveSettings(dir_.path(), s));
    ProcessingSettings back;
    ASSERT_TRUE(LoadSettings(dir_.path(), back));
    EXPECT_EQ(back.sy_image, s.sy_image) << name;
  }
  EXPECT_NE(ReadWholeFile(ConfigPath()).find("\xCB\xAE\xD3\xA1.png"), std::string::npos)
      << "a path that is text is stored as GBK";
}
#endif

TEST_F(SettingsFileTest, MarketplaceOperationsKeepAFileOfTheirOwn) {
  ProcessingSettings s;
  ASSERT_TRUE(LoadSettings(dir_.path(), s));
  const std::string config = ReadWholeFile(ConfigPath());
  EXPECT_EQ(LoadExtraOperations(dir_.path()), ExtraOperations{});  // none saved yet
  ExtraOperations o;
  o.square = true;
  o.square_colour = "#102030";
  o.max_kb = 500;
  o.slice_height = 1500;
  o.tiled_text = true;
  o.mark_width_percent = 20;
  SaveExtraOperations(dir_.path(), o);
  EXPECT_EQ(LoadExtraOperations(dir_.path()), o);
  EXPECT_EQ(ReadWholeFile(ConfigPath()), config);  // config.dat keeps its 19 lines
  ExtraOperations expected;
  expected.mark_width_percent = 100;
  // A colour that is none is dropped with its default, never used.
  EXPECT_EQ(ParseOptionsText("max_kb=-3\nmark_width_percent=250\nsquare_colour=red\n"
                             "border_colour=#zzzzzz\n"),
            expected);
  // Numbers written by hand are brought into what the dialog offers.
  expected = {};
  expected.max_kb = 100000;
  expected.slice_height = 100;
  EXPECT_EQ(ParseOptionsText("max_kb=999999\nslice_height=7\nmark_width_percent=0\n"), expected);
  ProcessingSettings hand;
  ParseSettingsText("sy_text_fontSize=4000\n", hand);
  EXPECT_EQ(hand.sy_text_font.sy_text_fontSize, 72);
}

#ifndef _WIN32  // an installed program in a POSIX tree
TEST_F(SettingsFileTest, InstalledProgramStartedElsewhereWorksInTheUsersOwnFolder) {
  dir_.WriteFile("usr/share/lumivane/res.dat", "shared list");
  dir_.WriteFile("usr/share/lumivane/images/sy.png", "logo");
  dir_.MakeFolder("usr/bin");
  setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  EXPECT_FALSE(IsProgramFolder(dir_.path()));
  EXPECT_EQ(PrepareUserProgramFolder(dir_ / "elsewhere/lumivane"), std::nullopt);  // not installed
  const std::string elsewhere = dir_.MakeFolder("elsewhere");
  EXPECT_EQ(FindProgramFolder(elsewhere), elsewhere);  // no window has made one
  const auto mine = PrepareUserProgramFolder(dir_ / "usr/bin/lumivane");
  ASSERT_EQ(mine, dir_ / "data/lumivane");
  EXPECT_TRUE(IsProgramFolder(*mine));
  // A program without a window finds it, unless started in a program folder.
  EXPECT_EQ(FindProgramFolder(elsewhere), *mine);
  dir_.WriteFile("elsewhere/config.dat", "");
  EXPECT_EQ(FindProgramFolder(elsewhere), elsewhere);
  EXPECT_EQ(ReadWholeFile(*mine + "/images/sy.png"), "logo");
  dir_.WriteFile("data/lumivane/res.dat", "the user's list");
  PrepareUserProgramFolder(dir_ / "usr/bin/lumivane");
  EXPECT_EQ(ReadWholeFile(*mine + "/res.dat"), "the user's list");  // never replaced
  unsetenv("XDG_DATA_HOME");
}
#endif

TEST_F(SettingsFileTest, EmptyFileLoadsAndChangesNothing) {
  dir_.WriteFile("config.dat", "");
  ProcessingSettings s;
  ASSERT_TRUE(LoadSettings(dir_.path(), s));
  EXPECT_EQ(s, ProcessingSettings{});
}

TEST_F(SettingsFileTest, SettingsThatCanNeitherBeReadNorWrittenFailTheLoad) {
  dir_.MakeFolder("config.dat");  // a folder in the file's place
  ProcessingSettings s;
  s.width = 5;
  EXPECT_FALSE(LoadSettings(dir_.path(), s));
  EXPECT_EQ(s.width, 5);
}

TEST(SettingsTextTest, LinesAreReadTheWayTheFileHasAlwaysBeenRead) {
  ProcessingSettings s;
  s.width = 1;
  ParseSettingsText("=width=5\n", s);
  EXPECT_EQ(s.width, 5);
  ParseSettingsText("width==6\r\n", s);
  EXPECT_EQ(s.width, 6);
  ParseSettingsText("Width=800\n", s);  // keys are case-sensitive
  EXPECT_EQ(s.width, 6);
  ParseSettingsText("width=7\nwidth=8\n", s);  // the last line wins
  EXPECT_EQ(s.width, 8);
  ParseSettingsText("width= -3x\n", s);
  EXPECT_EQ(s.width, -3);
  ParseSettingsText("\n\nno equals sign\nunknown=1\n", s);
  EXPECT_EQ(s.width, -3);
  // The text's colour, kept twice: the printed one where they disagree,
  // the number where the text is no colour; written back as one.
  ParseSettingsText("sy_text_htmlColor=#FF0800\nsy_text_rgbColors=16711680\n", s);
  EXPECT_EQ(s.sy_text_font.sy_text_rgbColors, 0x0008FFu);
  ParseSettingsText("sy_text_htmlColor=red\nsy_text_rgbColors=255\n", s);
  EXPECT_NE(ComposeSettingsText(s).find("sy_text_htmlColor=#ff0000\nsy_text_rgbColors=255\n"),
            std::string::npos);
}

TEST(SettingsTextTest, LastLineWithoutLineFeedIsRead) {
  ProcessingSettings s;
  ParseSettingsText("quanlity=3\nwidth=900", s);
  EXPECT_EQ(s.quanlity, 3);
  EXPECT_EQ(s.width, 900);
}

TEST(SettingsTextTest, TextValuesKeepTheirEqualsSigns) {
  ProcessingSettings s;
  ParseSettingsText("sy_text=a=b\nsy_image==/x=y.png\n", s);
  EXPECT_EQ(s.sy_text, "a=b");
  EXPECT_EQ(s.sy_image, "/x=y.png");
  ParseSettingsText("sy_text=\n", s);
  EXPECT_EQ(s.sy_text, "");
}

TEST(SettingsTextTest, NumbersThatDoNotParseKeepThePreviousValue) {
  ProcessingSettings s;
  s.width = 640;
  s.sy_text_w_value = 16;
  ParseSettingsText("width=abc\nsy_text_w_value=\nwidth=99999999999999\n", s);
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(s.sy_text_w_value, 16u);
}

TEST(SettingsTextTest, LineBreaksInsideAValueCannotSplitTheFile) {
  ProcessingSettings s;
  s.sy_text = "one\ntwo\rwidth=5";
  ProcessingSettings back;
  ParseSettingsText(ComposeSettingsText(s), back);
  EXPECT_EQ(back.sy_text, "one two\rwidth=5");
  EXPECT_EQ(back.width, 0);
}

}  // namespace
}  // namespace lumivane
