#include "engine/picture_ops.h"

#include <gtest/gtest.h>

#include "engine/folder_scan.h"
#include "engine/picture_io.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

struct Size {
  size_t w, h;
  bool operator==(const Size&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Size& s) { return os << s.w << "x" << s.h; }

Size SizeOf(MagickWand* wand) { return {MagickGetImageWidth(wand), MagickGetImageHeight(wand)}; }

Size ShrunkSize(size_t w, size_t h, int width) {
  MagickWandPtr p = MakePicture(w, h, "white");
  ShrinkToWidth(p.get(), width);
  return SizeOf(p.get());
}

TEST(ShrinkToWidthTest, ShrinksInProportionTruncatingAndNeverEnlarges) {
  EXPECT_EQ(ShrunkSize(4000, 3000, 640), (Size{640, 480}));
  EXPECT_EQ(ShrunkSize(3000, 4001, 640), (Size{640, 853}));
  EXPECT_EQ(ShrunkSize(1000, 3, 100), (Size{100, 1}));
  EXPECT_EQ(ShrunkSize(640, 480, 640), (Size{640, 480}));
  EXPECT_EQ(ShrunkSize(300, 200, 640), (Size{300, 200}));
}

TEST(OutputPathForTest, NonJpegNamesGetJpgAppended) {
  EXPECT_EQ(OutputPathFor("/t", "a.jpeg"), "/t/a.jpeg");
  EXPECT_EQ(OutputPathFor("/t", "A.JPG"), "/t/A.JPG");
  EXPECT_EQ(OutputPathFor("/t", "a.png"), "/t/a.png.jpg");
  EXPECT_EQ(OutputPathFor("/t", "a.Bmp"), "/t/a.Bmp.jpg");
  EXPECT_EQ(OutputPathFor("/t", "noext"), "/t/noext");
}

class ProcessOnePictureTest : public ::testing::Test {
 protected:
  PictureOutcome Process(const std::string& source, const PictureSwitches& sw,
                         MagickWand* mark = nullptr) {
    return ProcessOnePicture(source, out_, settings_, sw, mark);
  }
  MagickWandPtr Output() { return LoadForTest(out_); }

  TempDir dir_;
  std::string out_ = dir_ / "out.jpg";
  ProcessingSettings settings_ = [] {
    ProcessingSettings s;
    s.width = 200;
    s.quanlity = 4;  // 80
    s.sy_text = "Shop";
    s.sy_text_font = {"Liberation Sans", 20, 0, "#000000", 0, 0};
    return s;
  }();
};

TEST_F(ProcessOnePictureTest, ShrinkComesBeforeClockwiseRotation) {
  std::string src = dir_ / "in.png";
  // Left half red, right half blue, so the turn direction can be seen.
  MagickWandPtr p = MakePicture(400, 300, "red");
  MagickWandPtr blue = MakePicture(200, 300, "blue");
  MagickCompositeImage(p.get(), blue.get(), OverCompositeOp, 200, 0);
  SavePicture(p.get(), src, "PNG");
  PictureSwitches sw;
  sw.width = sw.rotation = true;
  sw.rotation_position = 0;
  ASSERT_EQ(Process(src, sw), PictureOutcome::kProcessed);
  MagickWandPtr out = Output();
  EXPECT_EQ(SizeOf(out.get()), (Size{150, 200}));
  // Clockwise: the left (red) half ends up at the top.
  EXPECT_TRUE(IsNear(PixelAt(out.get(), 75, 20), 1, 0, 0, 0.15));
  EXPECT_TRUE(IsNear(PixelAt(out.get(), 75, 180), 0, 0, 1, 0.15));
}

TEST_F(ProcessOnePictureTest, QualitySwitchSetsTheWrittenQuality) {
  std::string src = dir_ / "in.jpg";
  MakePictureFile(src, 50, 50, "green", "JPEG");
  PictureSwitches sw;
  sw.quality = true;
  ASSERT_EQ(Process(src, sw), PictureOutcome::kProcessed);
  EXPECT_EQ(MagickGetImageCompressionQuality(Output().get()), 80u);
}

TEST_F(ProcessOnePictureTest, TransparentPngIsLaidOnWhiteInAnyLetterCase) {
  for (const char* name : {"t.png", "T.PNG"}) {
    std::string src = dir_ / name;
    MakePictureFile(src, 40, 40, "none", "PNG");
    ASSERT_EQ(Process(src, {}), PictureOutcome::kProcessed) << name;
    EXPECT_TRUE(IsNear(PixelAt(Output().get(), 20, 20), 1, 1, 1)) << name;
  }
}

TEST_F(ProcessOnePictureTest, EveryOutputIsAJpegFileWhateverTheSource) {
  const struct {
    const char* name;
    const char* format;
  } sources[] = {{"a.png", "PNG"}, {"b.bmp", "BMP"}, {"c.jpg", "JPEG"}};
  for (const auto& source : sources) {
    const std::string src = dir_ / source.name;
    MakePictureFile(src, 30, 20, "red", source.format);
    ASSERT_EQ(Process(src, {}), PictureOutcome::kProcessed);
    EXPECT_EQ(ReadWholeFile(out_).substr(0, 3), "\xFF\xD8\xFF") << source.name;
  }
}

TEST_F(ProcessOnePictureTest, PictureWatermarkIsLaidAtItsPlacement) {
  std::string src = dir_ / "in.bmp";
  MakePictureFile(src, 640, 480, "white", "BMP");
  MagickWandPtr mark = MakePicture(100, 50, "black");
  settings_.sy_image_w_direction = 2;  // right
  settings_.sy_image_h_direction = 2;  // bottom
  settings_.sy_image_w_value = 16;
  settings_.sy_image_h_value = 16;
  PictureSwitches sw;
  sw.picture_watermark = true;
  ASSERT_EQ(Process(src, sw, mark.get()), PictureOutcome::kProcessed);
  MagickWandPtr out = Output();
  // The mark covers (524,414)-(623,463).
  EXPECT_TRUE(IsNear(PixelAt(out.get(), 526, 416), 0, 0, 0, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out.get(), 621, 461), 0, 0, 0, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out.get(), 520, 440), 1, 1, 1, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out.get(), 628, 440), 1, 1, 1, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out.get(), 570, 468), 1, 1, 1, 0.1));
}

TEST_F(ProcessOnePictureTest, TextWatermarkIsDrawnNearTheChosenCorner) {
  std::string src = dir_ / "in.jpg";
  MakePictureFile(src, 400, 300, "white", "JPEG");
  PictureSwitches sw;
  sw.text_watermark = true;
  struct Case {
    int w_position, h_position;
    long x0, y0, x1, y1;  // where the text must be
  } cases[] = {
      {1, 1, 0, 0, 200, 100},      // left, top
      {0, 0, 100, 100, 300, 200},  // centred
      {2, 2, 200, 200, 400, 300},  // right, bottom
  };
  for (const auto& c : cases) {
    settings_.sy_text_w_direction = c.w_position;
    settings_.sy_text_h_direction = c.h_position;
    ASSERT_EQ(Process(src, sw), PictureOutcome::kProcessed);
    MagickWandPtr out = Output();
    int inside = DarkPixels(out.get(), c.x0, c.y0, c.x1, c.y1);
    int all = DarkPixels(out.get(), 0, 0, 400, 300);
    EXPECT_GT(inside, 20) << c.w_position << "," << c.h_position;
    EXPECT_EQ(inside, all) << c.w_position << "," << c.h_position;
  }
}

TEST_F(ProcessOnePictureTest, NamesWithLibrarySyntaxAreTakenLiterally) {
  for (const char* name : {"out%d.jpg", "x[1].jpg", "png:x.jpg", "rose:y.jpg"}) {
    std::string src = dir_ / (std::string("src ") + name);
    MakePictureFile(src, 30, 20, "red", "JPEG");
    std::string out = dir_ / name;
    ASSERT_EQ(ProcessOnePicture(src, out, settings_, {}, nullptr), PictureOutcome::kProcessed)
        << name;
    MagickWandPtr back = LoadForTest(out);
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(SizeOf(back.get()), (Size{30, 20}));
  }
  EXPECT_FALSE(FileExists(dir_ / "out0.jpg"));
}

TEST_F(ProcessOnePictureTest, LongProductDetailPictureIsProcessed) {
  std::string src = dir_ / "long.jpg";
  MakePictureFile(src, 750, 30000, "white", "JPEG");
  PictureSwitches sw;
  sw.width = true;
  settings_.width = 640;
  ASSERT_EQ(Process(src, sw), PictureOutcome::kProcessed);
  EXPECT_EQ(SizeOf(Output().get()), (Size{640, 25600}));
}

TEST_F(ProcessOnePictureTest, UnwritableTargetIsAWriteFailureAndLeavesNothing) {
  std::string src = dir_ / "in.jpg";
  MakePictureFile(src, 30, 20, "red", "JPEG");
  EXPECT_EQ(ProcessOnePicture(src, dir_ / "missing/out.jpg", settings_, {}, nullptr),
            PictureOutcome::kWriteFailed);
}

}  // namespace
}  // namespace lumivane
