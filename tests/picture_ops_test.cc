#include "engine/picture/picture_ops.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/picture/picture_io.h"
#include "engine/run/folder_scan.h"
#include "engine/run/messages.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

struct Size {
  int w, h;
  bool operator==(const Size&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Size& s) { return os << s.w << "x" << s.h; }

Size SizeOf(const vips::VImage& picture) { return {picture.width(), picture.height()}; }

TEST(ShrunkSizeTest, ShrinksInProportionTruncatingAndNeverEnlarges) {
  EXPECT_EQ(ShrunkSize(4000, 3000, 640), (PictureSize{640, 480}));
  EXPECT_EQ(ShrunkSize(3000, 4001, 640), (PictureSize{640, 853}));
  EXPECT_EQ(ShrunkSize(1000, 3, 100), (PictureSize{100, 1}));
  EXPECT_EQ(ShrunkSize(640, 480, 640), (PictureSize{640, 480}));
  EXPECT_EQ(ShrunkSize(300, 200, 640), (PictureSize{300, 200}));
}

TEST(OutputPathForTest, NonJpegNamesGetJpgAppended) {
  EXPECT_EQ(OutputPathFor("/t", "a.jpeg"), "/t/a.jpeg");
  EXPECT_EQ(OutputPathFor("/t", "A.JPG"), "/t/A.JPG");
  EXPECT_EQ(OutputPathFor("/t", "a.png"), "/t/a.png.jpg");
  EXPECT_EQ(OutputPathFor("/t", "a.Bmp"), "/t/a.Bmp.jpg");
  EXPECT_EQ(OutputPathFor("/t", "noext"), "/t/noext");
  EXPECT_EQ(OutputPathFor("/t", "a.PNG", kPngOutput), "/t/a.PNG");
  EXPECT_EQ(OutputPathFor("/t", "a.jpeg", kPngOutput), "/t/a.jpeg.png");
  EXPECT_EQ(OutputPathFor("/t", "a.jpg", kWebpOutput), "/t/a.jpg.webp");
}

class ProcessOnePictureTest : public ::testing::Test {
 protected:
  PictureOutcome Process(const std::string& source, const PictureSwitches& sw,
                         const vips::VImage* mark = nullptr) {
    return ProcessOnePicture(source, out_, settings_, sw, mark).outcome;
  }
  vips::VImage Output() {
    auto out = LoadForTest(out_);
    EXPECT_TRUE(out);
    return out ? *out : MakePicture(1, 1, "none");
  }

  TempDir dir_;
  std::string out_ = dir_ / "out.jpg";
  ProcessingSettings settings_ = [] {
    ProcessingSettings s;
    s.width = 200;
    s.quanlity = 4;  // 80
    s.sy_text = "Shop";
    s.sy_text_font = {"Liberation Sans", 20, 0, 0, 0};
    return s;
  }();
};

TEST_F(ProcessOnePictureTest, ShrinkComesBeforeClockwiseRotation) {
  std::string src = dir_ / "in.png";
  // Left half red, right half blue, so the turn direction can be seen.
  SavePicture(MakePicture(400, 300, "red").insert(MakePicture(200, 300, "blue"), 200, 0), src,
              "PNG");
  PictureSwitches sw;
  sw.width = true;
  sw.rotation = 90;
  ASSERT_EQ(Process(src, sw), PictureOutcome::kProcessed);
  const vips::VImage out = Output();
  EXPECT_EQ(SizeOf(out), (Size{150, 200}));
  // Clockwise: the left (red) half ends up at the top.
  EXPECT_TRUE(IsNear(PixelAt(out, 75, 20), 1, 0, 0, 0.15));
  EXPECT_TRUE(IsNear(PixelAt(out, 75, 180), 0, 0, 1, 0.15));
}

TEST_F(ProcessOnePictureTest, QualitySwitchSetsTheWrittenQuality) {
  std::string src = dir_ / "in.jpg";
  MakePictureFile(src, 50, 50, "green", "JPEG");
  PictureSwitches sw;
  sw.quality = true;
  ASSERT_EQ(Process(src, sw), PictureOutcome::kProcessed);
  // The encoder's quantisation tables for quality 80: luminance DC 6.
  const std::string jpeg = ReadWholeFile(out_);
  const size_t dqt = jpeg.find("\xFF\xDB");
  ASSERT_NE(dqt, std::string::npos);
  EXPECT_EQ(static_cast<unsigned char>(jpeg[dqt + 5]), 6);
}

TEST_F(ProcessOnePictureTest, TransparentPngIsLaidOnWhiteInAnyLetterCase) {
  for (const char* name : {"t.png", "T.PNG"}) {
    std::string src = dir_ / name;
    MakePictureFile(src, 40, 40, "none", "PNG");
    ASSERT_EQ(Process(src, {}), PictureOutcome::kProcessed) << name;
    EXPECT_TRUE(IsNear(PixelAt(Output(), 20, 20), 1, 1, 1)) << name;
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
  const vips::VImage mark = MakePicture(100, 50, "black").bandjoin_const({255});
  settings_.sy_image_w_direction = 2;  // right
  settings_.sy_image_h_direction = 2;  // bottom
  settings_.sy_image_w_value = 16;
  settings_.sy_image_h_value = 16;
  PictureSwitches sw;
  sw.picture_watermark = true;
  ASSERT_EQ(Process(src, sw, &mark), PictureOutcome::kProcessed);
  const vips::VImage out = Output();
  // The mark covers (524,414)-(623,463).
  EXPECT_TRUE(IsNear(PixelAt(out, 526, 416), 0, 0, 0, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out, 621, 461), 0, 0, 0, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out, 520, 440), 1, 1, 1, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out, 628, 440), 1, 1, 1, 0.1));
  EXPECT_TRUE(IsNear(PixelAt(out, 570, 468), 1, 1, 1, 0.1));
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
    const vips::VImage out = Output();
    int inside = DarkPixels(out, c.x0, c.y0, c.x1, c.y1);
    int all = DarkPixels(out, 0, 0, 400, 300);
    EXPECT_GT(inside, 20) << c.w_position << "," << c.h_position;
    EXPECT_EQ(inside, all) << c.w_position << "," << c.h_position;
  }
}

// Both marks set to one corner: the text goes beside the logo, not under
// it, wherever that corner is; marks put apart on purpose stay as put.
TEST_F(ProcessOnePictureTest, MarksSetToOnePlaceAreLaidSideBySide) {
  std::string src = dir_ / "in.bmp";
  MakePictureFile(src, 640, 480, "white", "BMP");
  const vips::VImage logo = MakePicture(30, 50, "red").bandjoin_const({255});
  PictureSwitches sw;
  sw.text_watermark = sw.picture_watermark = true;
  // Where the logo lies, by its placement (positions: 0 centred, 1 near, 2 far).
  const struct {
    int across, down;
    int x, y;
  } places[] = {{2, 2, 594, 414}, {1, 1, 16, 16}, {1, 0, 16, 215}, {0, 0, 305, 215}};
  for (const auto& p : places) {
    settings_.sy_text_w_direction = settings_.sy_image_w_direction = p.across;
    settings_.sy_text_h_direction = settings_.sy_image_h_direction = p.down;
    settings_.sy_text_w_value = settings_.sy_image_w_value = 16;
    settings_.sy_text_h_value = settings_.sy_image_h_value = 16;
    ASSERT_EQ(Process(src, sw, &logo), PictureOutcome::kProcessed);
    const vips::VImage out = Output();
    EXPECT_TRUE(IsNear(PixelAt(out, p.x + 15, p.y + 25), 1, 0, 0, 0.1)) << p.across << p.down;
    // The text beside it: dark pixels, none within a gap round the logo.
    EXPECT_GT(DarkPixels(out, 0, 0, 640, 480), 20) << p.across << p.down;
    EXPECT_EQ(DarkPixels(out, p.x - 4, p.y - 4, p.x + 34, p.y + 54), 0) << p.across << p.down;
  }
  // Put 4 px apart on purpose: the text stays at its corner, beside the
  // logo's bottom.
  settings_.sy_text_w_direction = settings_.sy_image_w_direction = 2;
  settings_.sy_text_h_direction = settings_.sy_image_h_direction = 2;
  settings_.sy_image_h_value = 20;
  ASSERT_EQ(Process(src, sw, &logo), PictureOutcome::kProcessed);
  EXPECT_GT(DarkPixels(Output(), 400, 440, 594, 464), 20);
}

TEST_F(ProcessOnePictureTest, ColourMarksStayColouredOnGreySourcesAndFromCmykLogos) {
  const std::string src = dir_ / "grey.jpg";
  SavePicture(MakePicture(300, 200, "white").colourspace(VIPS_INTERPRETATION_B_W), src, "JPEG");
  settings_.sy_text_font = {"Liberation Sans", 60, 0x0000FF, 0, 1};
  settings_.sy_text_w_direction = settings_.sy_text_h_direction = 1;  // left, top
  settings_.sy_text_w_value = settings_.sy_text_h_value = 0;
  settings_.sy_text = "MM";
  // A red logo stored as CMYK, bottom right.
  SavePicture(MakePicture(60, 40, "red").icc_transform("cmyk"), dir_ / "logo.jpg", "JPEG");
  const auto logo = LoadWatermarkPicture(dir_ / "logo.jpg");
  ASSERT_TRUE(logo);
  settings_.sy_image_w_direction = settings_.sy_image_h_direction = 2;
  PictureSwitches sw;
  sw.text_watermark = sw.picture_watermark = true;
  ASSERT_EQ(Process(src, sw, &*logo), PictureOutcome::kProcessed);
  const vips::VImage out = Output();
  ASSERT_EQ(out.bands(), 3);
  // Some of the text's ink is pure red, and so is the logo's middle.
  const vips::VImage ink = out.crop(0, 0, 150, 100);
  const vips::VImage red = (ink[0] > 200) & (ink[1] < 60) & (ink[2] < 60);
  EXPECT_GT(red.max(), 0) << "the text came out grey";
  const Rgb logo_middle = PixelAt(out, 300 - 16 - 30, 200 - 16 - 20);
  EXPECT_TRUE(IsNear(logo_middle, 1, 0, 0, 0.2))
      << logo_middle.r << "," << logo_middle.g << "," << logo_middle.b;
}

TEST_F(ProcessOnePictureTest, NamesWithLibrarySyntaxAreTakenLiterally) {
  for (const char* name : {"out%d.jpg", "x[1].jpg", "png:x.jpg", "rose:y.jpg"}) {
    std::string src = dir_ / (std::string("src ") + name);
    MakePictureFile(src, 30, 20, "red", "JPEG");
    std::string out = dir_ / name;
    ASSERT_EQ(ProcessOnePicture(src, out, settings_, {}, nullptr).outcome,
              PictureOutcome::kProcessed)
        << name;
    auto back = LoadForTest(out);
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(SizeOf(*back), (Size{30, 20}));
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
  EXPECT_EQ(SizeOf(Output()), (Size{640, 25600}));
}

// A save that fails says why: a folder at the name, a size the format
// does not hold (JPEG 65535 a side).
TEST_F(ProcessOnePictureTest, UnwritableTargetIsAWriteFailureThatSaysWhy) {
  std::string src = dir_ / "in.jpg";
  MakePictureFile(src, 30, 20, "red", "JPEG");
  EXPECT_EQ(ProcessOnePicture(src, dir_ / "missing/out.jpg", settings_, {}, nullptr).outcome,
            PictureOutcome::kWriteFailed);
  std::filesystem::create_directory(dir_ / "taken.jpg");
  const PictureResult folder = ProcessOnePicture(src, dir_ / "taken.jpg", settings_, {}, nullptr);
  EXPECT_EQ(folder.outcome, PictureOutcome::kWriteFailed);
  EXPECT_EQ(folder.write_problem, platform::WriteProblem::kNotAFile);
  EXPECT_EQ(msg::SaveError("taken.jpg", folder.write_problem),
            "保存 taken.jpg 出错：这个名字已被文件夹或其他不是普通文件的东西占用");
  ExtraOperations wide;
  wide.size = "70000x1", wide.enlarge = true;
  const PictureResult large =
      ProcessOnePicture(src, dir_ / "wide.jpg", settings_, {}, nullptr, wide);
  EXPECT_EQ(large.outcome, PictureOutcome::kWriteFailed);
  EXPECT_TRUE(large.too_large_for_format);
  EXPECT_FALSE(FileExists(dir_ / "wide.jpg"));
}

}  // namespace
}  // namespace lumivane
