#include "engine/picture/size_rule.h"

#include <gtest/gtest.h>

#include "engine/picture/output_shape.h"
#include "engine/picture/picture_ops.h"
#include "engine/picture/vips_blob.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

class SizeRuleTest : public ::testing::Test {
 protected:
  PictureResult Process(const std::string& source, const ExtraOperations& extras,
                        const PictureSwitches& sw = {}) {
    return ProcessOnePicture(source, dir_ / "out.png", settings_, sw, nullptr, extras);
  }
  vips::VImage Out() { return *LoadForTest(dir_ / "out.png"); }
  static ExtraOperations Png() {
    ExtraOperations e;
    e.format = kPngOutput;  // pixels as made
    return e;
  }
  // How much of `picture` is strongly red.
  static double RedShare(const vips::VImage& p) {
    return ((p[0] > 180) & (p[1] < 80) & (p[2] < 80)).avg() / 255;
  }

  TempDir dir_;
  ProcessingSettings settings_ = [] {
    ProcessingSettings s;
    s.width = 640;
    return s;
  }();
};

// Each mode makes the size asked, portrait and landscape, turned or not,
// and the output plan foretells it from the header; the longer side gives
// the library's own thumbnail, pixel for pixel.
TEST_F(SizeRuleTest, EachModeMakesItsSizeAndIsForetold) {
  const std::string wide = dir_ / "wide.jpg", tall = dir_ / "tall.png";
  SavePicture(WithNoise(MakePicture(1999, 1333, "gray")), wide, "JPEG", 90);
  SavePicture(MakePicture(700, 2500, "gray"), tall, "PNG");
  struct Case {
    const char* what;
    ExtraOperations x;
    bool turned;
    PictureSize from_wide, from_tall;
  };
  std::vector<Case> cases(11, {"", Png(), false, {}, {}});
  cases[0].what = "height", cases[0].x.height = 500;
  cases[0].from_wide = {750, 500}, cases[0].from_tall = {140, 500};
  cases[1].what = "long side", cases[1].x.long_side = 640;
  cases[1].from_wide = {640, 427}, cases[1].from_tall = {179, 640};
  cases[2].what = "box", cases[2].x.box = "300x300";
  cases[2].from_wide = {300, 200}, cases[2].from_tall = {84, 300};
  cases[3].what = "pad", cases[3].x.size = "800×800";
  cases[3].from_wide = cases[3].from_tall = {800, 800};
  cases[4].what = "crop", cases[4].x.size = "750x1000", cases[4].x.fit = kFitCrop;
  cases[4].from_wide = cases[4].from_tall = {750, 1000};
  cases[5].what = "smart", cases[5].x.size = "600x400", cases[5].x.fit = kFitSmart;
  cases[5].from_wide = {600, 400}, cases[5].from_tall = {600, 400};
  cases[6].what = "turned", cases[6].x.size = "750x1000", cases[6].turned = true;
  cases[6].from_wide = cases[6].from_tall = {750, 1000};
  cases[7].what = "square of the long side", cases[7].x.long_side = 500, cases[7].x.square = true;
  cases[7].from_wide = cases[7].from_tall = {500, 500};
  cases[8].what = "height, turned", cases[8].x.height = 300, cases[8].turned = true;
  cases[8].from_wide = {200, 300}, cases[8].from_tall = {1071, 300};
  // A frame lies inside the size asked.
  cases[9].what = "framed box", cases[9].x.box = "300x300", cases[9].x.border = 10;
  cases[9].from_wide = {300, 207}, cases[9].from_tall = {98, 300};
  cases[10].what = "framed crop", cases[10].x.size = "600x400", cases[10].x.border = 10;
  cases[10].x.fit = kFitCrop;
  cases[10].from_wide = cases[10].from_tall = {600, 400};
  for (const Case& c : cases) {
    for (const std::string& source : {wide, tall}) {
      PictureSwitches sw;
      sw.width = true;  // the operations' size takes its place
      sw.rotation = c.turned ? 90 : 0;
      const PictureResult made = Process(source, c.x, sw);
      ASSERT_EQ(made.outcome, PictureOutcome::kProcessed) << c.what;
      EXPECT_EQ(made.size, source == wide ? c.from_wide : c.from_tall) << c.what << " " << source;
      const auto shape = PlannedShape(*HeaderSize(source), settings_, sw, c.x);
      ASSERT_TRUE(shape) << c.what;
      EXPECT_EQ(shape->size, made.size) << c.what << " " << source;
    }
  }

  ExtraOperations longer = Png();
  longer.long_side = 640;
  ASSERT_EQ(Process(wide, longer).outcome, PictureOutcome::kProcessed);
  const std::string bytes = ReadWholeFile(wide);
  const vips::VImage thumbnail = vips::VImage::thumbnail_buffer(BorrowBlob(bytes).get(), 640);
  // The same pixels as the library's own thumbnail; a newer library's
  // (the Windows one) rounds some one level apart.
  EXPECT_LE((Out() - thumbnail).abs().max(), VIPS_MINOR_VERSION > 14 ? 1 : 0);

  ExtraOperations two;
  two.height = 500, two.box = "9x9";
  EXPECT_FALSE(OperationsConflict(two).empty());
  two = {}, two.size = "9x9", two.square = true;
  EXPECT_FALSE(OperationsConflict(two).empty());
  EXPECT_FALSE(ParseDimensions("0x5") || ParseDimensions("5x") || ParseDimensions("5 x 5"));
}

// Every fit of an exact size gives exactly that size: what a crop cannot
// fill without enlarging (a picture narrower, lower or both) is laid in the
// middle of the canvas, uncut where it fits, with a frame too.
TEST_F(SizeRuleTest, EveryFitGivesTheExactSize) {
  for (auto [w, h] : std::vector<std::pair<int, int>>{{1001, 333}, {333, 1001}, {500, 1}}) {
    SavePicture(MakePicture(w, h, "black"), dir_ / "in.png", "PNG");
    for (const int fit : {kFitPad, kFitCrop, kFitSmart}) {
      for (const int border : {0, 20}) {
        ExtraOperations x = Png();
        x.size = "600x400", x.fit = fit, x.border = border, x.square_colour = "#ffffff";
        const PictureResult r = Process(dir_ / "in.png", x);
        const std::string what = std::to_string(w) + "x" + std::to_string(h) + " fit " +
                                 std::to_string(fit) + " border " + std::to_string(border);
        ASSERT_EQ(r.outcome, PictureOutcome::kProcessed) << what;
        const vips::VImage out = Out();
        EXPECT_EQ(out.width(), 600) << what;
        EXPECT_EQ(out.height(), 400) << what;
        EXPECT_EQ(r.size, (PictureSize{600, 400})) << what;
        if (border == 0 && h > 1 && fit != kFitPad) {  // in the middle, as much as fits
          EXPECT_TRUE(IsNear(PixelAt(out, 300, 200), 0, 0, 0)) << what;
          EXPECT_EQ(DarkPixels(out, 0, 0, 600, 400), std::min(w, 600) * std::min(h, 400)) << what;
        }
      }
    }
  }
}

// A product standing at the edge of a wide shot stays whole in a smart
// crop, where the centre crop loses it; in a tall shot it is kept too.
TEST_F(SizeRuleTest, SmartCropKeepsAProductAtTheEdge) {
  const vips::VImage product = WithNoise(MakePicture(420, 600, "red"));
  SavePicture(MakePicture(2400, 800, "white").insert(product, 40, 100), dir_ / "wide.png", "PNG");
  SavePicture(MakePicture(800, 2400, "white").insert(product, 300, 60), dir_ / "tall.png", "PNG");
  const double whole = 420.0 * 600 / (800 * 800);
  ExtraOperations x = Png();
  x.size = "800x800";
  x.fit = kFitCrop;
  ASSERT_EQ(Process(dir_ / "wide.png", x).outcome, PictureOutcome::kProcessed);
  EXPECT_LT(RedShare(Out()), 0.01);
  x.fit = kFitSmart;
  for (const char* shot : {"wide.png", "tall.png"}) {
    ASSERT_EQ(Process(dir_ / shot, x).outcome, PictureOutcome::kProcessed);
    EXPECT_GT(RedShare(Out()), 0.9 * whole) << shot;
  }
}

// A picture smaller than the size keeps its own pixels, on the canvas;
// asked, it is enlarged to the size, the width too.
TEST_F(SizeRuleTest, SmallPicturesAreEnlargedOnlyWhenAsked) {
  SavePicture(MakePicture(301, 199, "black"), dir_ / "small.bmp", "BMP");
  const std::string small = dir_ / "small.bmp";
  ExtraOperations x = Png();
  x.long_side = 640;
  EXPECT_EQ(Process(small, x).size, (PictureSize{301, 199}));
  x.enlarge = true;
  EXPECT_EQ(Process(small, x).size, (PictureSize{640, 423}));
  x = Png(), x.size = "800x800", x.square_colour = "#ffffff";  // the canvas's colour
  EXPECT_EQ(Process(small, x).size, (PictureSize{800, 800}));
  const vips::VImage padded = Out();
  EXPECT_TRUE(IsNear(PixelAt(padded, 400, 400), 0, 0, 0));
  EXPECT_TRUE(IsNear(PixelAt(padded, 5, 5), 1, 1, 1));
  EXPECT_EQ(DarkPixels(padded, 0, 0, 800, 800), 301 * 199);  // the picture at its own size
  x.enlarge = true;
  EXPECT_EQ(Process(small, x).size, (PictureSize{800, 800}));
  PictureSwitches sw;
  sw.width = true;
  x = Png(), x.enlarge = true;
  EXPECT_EQ(Process(small, x, sw).size, (PictureSize{640, 423}));
}

}  // namespace
}  // namespace lumivane
