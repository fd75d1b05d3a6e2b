#include "engine/run/preview.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/picture/font_resolver.h"
#include "engine/picture/size_rule.h"
#include "engine/run/folder_scan.h"
#include "tests/fake_window_port.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

class PreviewTest : public ::testing::Test {
 protected:
  PreviewTest() {
    program_ = dir_.MakeFolder("program");
    src_ = dir_.MakeFolder("src");
    in_ = DefaultInputs();
    in_.source = src_;
    settings_.sy_text_font = {"Liberation Sans", 20, 0x0000FF, 0, 0};
  }
  void TextPreview(const ExtraOperations& extras = {}) {
    made_ = PreviewTextWatermark(port_, settings_, in_, extras, program_ + "/temp");
    focus_ = made_.refused;
  }
  void PicturePreview() {
    made_ = PreviewPictureWatermark(port_, settings_, in_, {}, program_ + "/temp");
    focus_ = made_.refused;
  }
  std::string Messages() {
    auto m = port_.Calls("message");
    return m.empty() ? "" : m.front();
  }

  TempDir dir_;
  FakeWindowPort port_;
  UserInputs in_;
  ProcessingSettings settings_;
  PreviewOutcome made_;
  std::optional<Field> focus_;
  std::string program_, src_;
};

TEST_F(PreviewTest, TextPreviewRendersIntoTheTempFolderAndShowsIt) {
  MakePictureFile(src_ + "/a.jpg", 300, 200, "white", "JPEG");
  TextPreview();
  EXPECT_EQ(Messages(), "");
  const std::string out = program_ + "/temp/sy_text.jpg";
  EXPECT_EQ(made_.made, out);
  EXPECT_TRUE(made_.title.starts_with("效果预览 300×200，")) << made_.title;
  auto w = LoadForTest(out);
  ASSERT_TRUE(w);
  EXPECT_GT(((*w)[1] < 128).max(), 0);  // the red text: dark in green
  EXPECT_EQ(focus_, std::nullopt);
}

// Both marks ticked, either preview shows both, where the run lays them.
TEST_F(PreviewTest, EachPreviewShowsBothMarksWhenBothAreTicked) {
  MakePictureFile(src_ + "/a.jpg", 300, 200, "white", "JPEG");
  MakePictureFile(program_ + "/mark.png", 40, 30, "black", "PNG");
  settings_.sy_image = program_ + "/mark.png";
  in_.picture = settings_.sy_image;
  in_.text_mark = in_.picture_mark = true;
  in_.text_place = {1, 1, "0", "0"};  // text top left, the picture bottom right
  in_.picture_place = {2, 2, "0", "0"};
  TextPreview();
  PicturePreview();
  for (const char* name : {"sy_text.jpg", "sy_image.jpg"}) {
    auto shown = LoadForTest(program_ + "/temp/" + name);
    ASSERT_TRUE(shown) << name;
    EXPECT_GT(DarkPixels(shown->extract_band(1), 0, 0, 100, 40), 0) << name;         // the text
    EXPECT_GT(DarkPixels(shown->extract_band(1), 270, 180, 300, 200), 500) << name;  // the picture
  }
}

// What a run writes: the square canvas, the tiled text, the first part of
// a cut picture.
TEST_F(PreviewTest, PreviewAppliesTheMarketplaceOperations) {
  MakePictureFile(src_ + "/a.jpg", 300, 1000, "white", "JPEG");
  ExtraOperations extras;
  extras.slice_height = 400;
  extras.tiled_text = true;
  TextPreview(extras);
  auto part = LoadForTest(program_ + "/temp/sy_text.jpg");
  ASSERT_TRUE(part);
  EXPECT_EQ(part->height(), 400);
  EXPECT_GT(DarkPixels(part->extract_band(1), 0, 0, 150, 200), 0);  // text in the top left too
  extras = {};
  extras.square = true;
  TextPreview(extras);
  auto square = LoadForTest(program_ + "/temp/sy_text.jpg");
  ASSERT_TRUE(square);
  EXPECT_EQ(square->width(), square->height());

  // Encoded as the run encodes: a PNG keeps its transparency, a size cap
  // holds, and the log tells the file's size.
  SavePicture(MakePicture(300, 300, "white").bandjoin_const({0}), src_ + "/a.png", "PNG");
  std::filesystem::remove(src_ + "/a.jpg");
  extras = {};
  extras.format = kPngOutput;
  TextPreview(extras);
  auto clear = LoadForTest(program_ + "/temp/sy_text.png");
  ASSERT_TRUE(clear);
  ASSERT_EQ(clear->bands(), 4);
  EXPECT_EQ(clear->extract_area(0, 0, 10, 10)[3].max(), 0);
  SavePicture(WithNoise(MakePicture(400, 300, "gray")), src_ + "/a.png", "PNG");
  extras = {};
  extras.max_kb = 60;
  TextPreview(extras);
  const std::string capped = ReadWholeFile(program_ + "/temp/sy_text.jpg");
  EXPECT_LE(capped.size(), 60u * 1024);
  const auto logged = port_.Calls("log");
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.back(), "效果预览 " + program_ + "/temp/sy_text.jpg：400×300，" +
                               std::to_string((capped.size() + 1023) / 1024) + " KB");
  // A page: the sample's folder joined, as the run joins it.
  SavePicture(MakePicture(400, 100, "gray"), src_ + "/b.png", "PNG");
  extras = {};
  extras.join = true;
  extras.join_gap = 10;
  TextPreview(extras);
  auto page = LoadForTest(program_ + "/temp/sy_text.jpg");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->height(), 300 + 10 + 100);
}

// The preview refuses what the run refuses, in the run's words.
TEST_F(PreviewTest, OperationsTheRunRefusesAreRefusedHereToo) {
  MakePictureFile(src_ + "/a.jpg", 300, 200, "white", "JPEG");
  ExtraOperations two_sizes;
  two_sizes.height = 300, two_sizes.long_side = 1000;
  ExtraOperations png_cap;
  png_cap.format = kPngOutput, png_cap.max_kb = 50;
  for (const ExtraOperations& extras : {two_sizes, png_cap}) {
    port_.ClearCalls();
    TextPreview(extras);
    EXPECT_EQ(Messages(), "提示|" + OperationsConflict(extras) + "|error");
    EXPECT_EQ(made_.made, "");
  }
  EXPECT_FALSE(FileExists(program_ + "/temp/sy_text.jpg"));
  EXPECT_FALSE(FileExists(program_ + "/temp/sy_text.png"));
}

TEST_F(PreviewTest, EmptyTextIsRefusedEvenWithTheTextWatermarkOff) {
  MakePictureFile(src_ + "/a.jpg", 30, 20, "white", "JPEG");
  in_.text = "  ";
  TextPreview();
  EXPECT_EQ(Messages(), "提示|请输入水印文字内容|error");
  EXPECT_EQ(focus_, Field::kText);
}

TEST_F(PreviewTest, ChineseTextAsksForAChineseFontByWhatTheFontDraws) {
  MakePictureFile(src_ + "/a.jpg", 30, 20, "white", "JPEG");
  in_.text = "宝贝";
  settings_.sy_text_font.sy_text_fontName = "Arial";
  TextPreview();
  EXPECT_EQ(Messages(),
            "提示|" +
                ChineseFontMessage(
                    "水印文字中含有中文，你需要选择一个中文字体，否则中文会显示乱码。", "宝贝") +
                "|warning");
  EXPECT_EQ(focus_, Field::kFont);

  port_.ClearCalls();
  settings_.sy_text_font.sy_text_fontName = "WenQuanYi Zen Hei";  // an ASCII name, a Chinese font
  TextPreview();
  EXPECT_EQ(Messages(), "");
  EXPECT_NE(made_.made, "");
}

TEST_F(PreviewTest, SampleComesFromSubfoldersOnlyWhenAskedAndTheSourceFirst) {
  dir_.MakeFolder("src/inner");
  MakePictureFile(src_ + "/inner/deep.png", 30, 20, "white", "PNG");
  bool failed = false;
  EXPECT_FALSE(FindSamplePicture(src_, false, failed));
  EXPECT_FALSE(failed);
  EXPECT_EQ(FindSamplePicture(src_, true, failed), src_ + "/inner/deep.png");
  MakePictureFile(src_ + "/top.jpg", 30, 20, "white", "JPEG");
  EXPECT_EQ(FindSamplePicture(src_, true, failed), src_ + "/top.jpg");
  EXPECT_FALSE(FindSamplePicture(dir_ / "missing", false, failed));
  EXPECT_TRUE(failed);
}

TEST_F(PreviewTest, NoSampleIsReportedWithFocusOnTheSourceBrowseButton) {
  in_.picture_mark = false;
  PicturePreview();
  EXPECT_EQ(Messages(), "提示|在[图片源文件夹]中，没有找到需要处理的图片|error");
  EXPECT_EQ(focus_, Field::kSource);
}

TEST_F(PreviewTest, APicturePreviewShowsTheMarkWhereTheRunLaysIt) {
  MakePictureFile(src_ + "/a.PNG", 100, 80, "white", "PNG");
  MakePictureFile(dir_ / "mark.png", 20, 10, "black", "PNG");
  in_.picture = dir_ / "mark.png";
  PicturePreview();
  EXPECT_EQ(Messages(), "");
  EXPECT_EQ(made_.title, "效果预览 100×80，1 KB");
  auto w = LoadForTest(made_.made);
  ASSERT_TRUE(w);
  EXPECT_TRUE(IsNear(PixelAt(*w, 70, 60), 0, 0, 0, 0.15));  // the mark, bottom right
}

}  // namespace
}  // namespace lumivane
