#include "engine/picture/extra_operations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "engine/picture/memory_budget.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/output_shape.h"
#include "engine/picture/picture_ops.h"
#include "engine/picture/size_cap.h"
#include "engine/picture/watermark.h"
#include "engine/run/folder_scan.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

class ExtraOperationsTest : public ::testing::Test {
 protected:
  PictureResult Process(const std::string& source, const PictureSwitches& sw,
                        const ExtraOperations& extras, const vips::VImage* mark = nullptr) {
    return ProcessOnePicture(source, dir_ / "out.jpg", settings_, sw, mark, extras);
  }
  vips::VImage Load(const std::string& path) {
    auto picture = LoadForTest(path);
    EXPECT_TRUE(picture) << path;
    return picture ? *picture : MakePicture(1, 1, "white");
  }

  TempDir dir_;
  ProcessingSettings settings_ = [] {
    ProcessingSettings s;
    s.width = 640;
    s.quanlity = 1;  // 95
    s.sy_text = "SHOP";
    s.sy_text_font = {"Liberation Sans", 40, 0, 0, 1};
    s.sy_text_w_direction = s.sy_text_h_direction = 2;  // right, bottom
    s.sy_text_w_value = s.sy_text_h_value = 10;
    s.sy_image_w_direction = s.sy_image_h_direction = 1;  // left, top
    return s;
  }();
};

// A run names outputs by the size and the parts the header foretells: the
// picture made must have them, in every orientation and every mix of the
// operations that change the size.
TEST_F(ExtraOperationsTest, TheHeaderForetellsTheOutputsSizeAndParts) {
  const std::vector<std::string> sources = {
      dir_.WriteFile("camera.jpg", JpegWithExifOrientation6(dir_ / "scratch.jpg")),
      dir_ / "tall.jpg", dir_ / "wide.png", dir_ / "small.bmp",
      dir_.WriteFile("turned.png",
                     PngWithExifOrientation6(MakePicture(900, 300, "gray"), dir_ / "scratch.png"))};
  SavePicture(MakePicture(700, 2500, "gray"), sources[1], "JPEG", 80);
  SavePicture(MakePicture(1900, 601, "gray"), sources[2], "PNG");
  SavePicture(MakePicture(301, 199, "gray"), sources[3], "BMP");
  struct Case {
    bool width, rotation;
    ExtraOperations x;
  };
  std::vector<Case> cases(7);
  cases[0].width = true;
  cases[1] = {true, false, {}}, cases[1].x.square = true, cases[1].x.border = 7;
  cases[2].x.border = 13, cases[2].x.slice_height = 450;
  cases[3] = {true, true, {}}, cases[3].x.slice_height = 300;
  cases[4].x.square = true, cases[4].x.border = 9;
  cases[5] = {true, false, {}}, cases[5].x.trim = 10, cases[5].x.square = true;
  cases[6] = {true, true, {}}, cases[6].x.border = 3, cases[6].x.slice_height = 100;
  settings_.width = 333;
  for (const std::string& source : sources) {
    for (size_t i = 0; i < cases.size(); ++i) {
      PictureSwitches sw;
      sw.width = cases[i].width;
      sw.rotation = cases[i].rotation ? 90 : 0;
      const auto original = HeaderSize(source);
      ASSERT_TRUE(original) << source;
      const auto shape = PlannedShape(*original, settings_, sw, cases[i].x);
      const PictureResult made = Process(source, sw, cases[i].x);
      ASSERT_TRUE(shape) << source << " " << i;
      EXPECT_EQ(shape->size, made.size) << source << " " << i;
      EXPECT_EQ(shape->part_heights.size(), made.outputs.size()) << source << " " << i;
    }
  }
  ExtraOperations trimmed;
  trimmed.trim = 10;  // the product's own size: known once made
  EXPECT_FALSE(PlannedShape({100, 100}, settings_, {}, trimmed));
}

// A dull photograph spans the full range afterwards, its tint kept; one
// that spans it already is left as it was.
// Auto level stretches the lightness of a dull picture and nothing else:
// the hues stay, a golden product on a grey ground keeps its colour (its
// blue is as dark as the picture goes there), a light-grey product on
// white stays light grey, and a picture that spans the range is kept.
TEST_F(ExtraOperationsTest, AutoLevelStretchesTheLightnessAndKeepsTheColours) {
  auto srgb = [](const vips::VImage& p) {
    return p.cast(VIPS_FORMAT_UCHAR)
        .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  };
  ExtraOperations extras;
  extras.auto_level = true;
  // What auto level made of `picture`, beside what a plain run made.
  auto levelled = [&](const vips::VImage& picture) {
    SavePicture(srgb(picture), dir_ / "in.png", "PNG");
    EXPECT_EQ(Process(dir_ / "in.png", {}, {}).outcome, PictureOutcome::kProcessed);
    const vips::VImage plain = Load(dir_ / "out.jpg").copy_memory();
    EXPECT_EQ(Process(dir_ / "in.png", {}, extras).outcome, PictureOutcome::kProcessed);
    return std::pair{plain, Load(dir_ / "out.jpg").copy_memory()};
  };
  // The colour difference of a region between two pictures.
  auto delta_e = [](const vips::VImage& a, const vips::VImage& b, int x, int y, int w, int h) {
    const vips::VImage la = a.crop(x, y, w, h).colourspace(VIPS_INTERPRETATION_LAB);
    const vips::VImage lb = b.crop(x, y, w, h).colourspace(VIPS_INTERPRETATION_LAB);
    double sum = 0;
    for (int band = 0; band < 3; ++band) sum += std::pow(la[band].avg() - lb[band].avg(), 2);
    return std::sqrt(sum);
  };

  const vips::VImage ramp = vips::VImage::xyz(256, 64)[0] / 256 * 150 + 55;  // 55..205
  auto [dull, stretched] = levelled(vips::VImage::bandjoin({ramp, ramp * 0.9, ramp * 0.8}));
  EXPECT_NEAR(stretched.min(), dull.min(), 1);  // never darkened
  EXPECT_GT(stretched.max(), dull.max() + 4);
  const Rgb before = PixelAt(dull, 128, 32), after = PixelAt(stretched, 128, 32);
  EXPECT_NEAR(after.r - after.g, before.r - before.g, 0.02);  // the tint kept
  EXPECT_NEAR(after.g - after.b, before.g - before.b, 0.02);

  const vips::VImage shot = MakePicture(800, 600, "#c4c4c0")
                                .insert(MakePicture(300, 300, "#d8a235"), 250, 150)
                                .insert(MakePicture(40, 20, "#1f3fbf"), 380, 280);
  auto [grey, lighter] = levelled(shot);
  EXPECT_LT(delta_e(grey, lighter, 270, 170, 100, 80), 2);  // the gold
  EXPECT_LT(delta_e(grey, lighter, 385, 283, 30, 14), 2);   // the label
  // Dark goods on an off-white ground keep their colour.
  for (const char* dark : {"#1e2a5a", "#8a1c1c", "#1f5a2a"}) {
    auto [before, after] =
        levelled(MakePicture(800, 600, "#f0f0ee").insert(MakePicture(300, 300, dark), 250, 150));
    EXPECT_LT(delta_e(before, after, 270, 170, 100, 80), 2) << dark;
  }

  auto [white, kept_light] =
      levelled(MakePicture(800, 600, "white").insert(MakePicture(300, 300, "#d4d4d4"), 250, 150));
  EXPECT_LT(delta_e(white, kept_light, 270, 170, 100, 80), 5);

  const vips::VImage x = vips::VImage::xyz(256, 64)[0];
  auto [full, kept] = levelled(vips::VImage::bandjoin({x, x, x}));
  EXPECT_EQ((kept - full).abs().max(), 0);
}

// Thin and tiny pictures have no product box to find: they come out as a
// run without trimming makes them, told once each.
TEST_F(ExtraOperationsTest, TrimLeavesPicturesWithoutABoxAsTheyAre) {
  for (auto [w, h] : std::vector<std::pair<int, int>>{
           {1000, 3}, {1281, 3}, {2561, 7}, {5000, 1}, {1, 1}, {65000, 1}, {1, 65000}}) {
    SavePicture(MakePicture(w, h, "red"), dir_ / "thin.png", "PNG");
    for (bool square : {false, true}) {
      PictureSwitches sw;
      sw.width = square;
      ExtraOperations extras;
      extras.trim = 10;
      extras.square = square;
      const PictureResult r = Process(dir_ / "thin.png", sw, extras);
      EXPECT_EQ(r.outcome, PictureOutcome::kProcessed) << w << "x" << h << " " << square;
    }
  }
}

TEST_F(ExtraOperationsTest, SquareCanvasCentresThePictureOnItsColour) {
  SavePicture(MakePicture(400, 200, "blue"), dir_ / "wide.png", "PNG");
  ExtraOperations extras;
  extras.square = true;
  extras.square_colour = "#ff0000";
  const PictureResult r = Process(dir_ / "wide.png", {}, extras);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  const vips::VImage out = Load(dir_ / "out.jpg");
  EXPECT_EQ(out.width(), 400);
  EXPECT_EQ(out.height(), 400);
  EXPECT_TRUE(IsNear(PixelAt(out, 200, 20), 1, 0, 0, 0.1));   // the canvas above
  EXPECT_TRUE(IsNear(PixelAt(out, 200, 200), 0, 0, 1, 0.1));  // the picture in the middle
  EXPECT_TRUE(IsNear(PixelAt(out, 200, 380), 1, 0, 0, 0.1));  // and below

  // With a width W the square is W x W: a tall picture fits inside it, a
  // small one is centred on it, never enlarged.
  settings_.width = 80;
  PictureSwitches width;
  width.width = true;
  SavePicture(MakePicture(300, 401, "blue"), dir_ / "tall.png", "PNG");
  SavePicture(MakePicture(50, 30, "blue"), dir_ / "small.png", "PNG");
  for (const char* name : {"tall.png", "small.png"}) {
    ASSERT_EQ(Process(dir_ / name, width, extras).outcome, PictureOutcome::kProcessed);
    const vips::VImage square = Load(dir_ / "out.jpg");
    EXPECT_EQ(square.width(), 80) << name;
    EXPECT_EQ(square.height(), 80) << name;
    EXPECT_TRUE(IsNear(PixelAt(square, 40, 40), 0, 0, 1, 0.1)) << name;
    EXPECT_TRUE(IsNear(PixelAt(square, 5, 40), 1, 0, 0, 0.1)) << name;  // 59 or 50 wide
  }
  EXPECT_TRUE(IsNear(PixelAt(Load(dir_ / "out.jpg"), 40, 10), 1, 0, 0, 0.1));  // 30 high
}

TEST(SizeCapTest, HighestQualityThatFitsNeverAboveTheChosenOne) {
  // A stand-in encoder: quality q makes q KB.
  int calls = 0;
  auto encode = [&](int q) -> std::optional<std::string> {
    ++calls;
    return std::string(static_cast<size_t>(q) * 1024, 'x');
  };
  for (int limit_kb : {50, 63, 77, 94, 95, 200}) {
    calls = 0;
    const auto r = SearchQuality(encode, 95, static_cast<std::uint64_t>(limit_kb) * 1024);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->quality, std::min(limit_kb, 95)) << limit_kb;
    EXPECT_FALSE(r->over_limit);
    EXPECT_LE(r->bytes.size(), static_cast<size_t>(limit_kb) * 1024);
    EXPECT_LE(calls, 7) << limit_kb;
  }
  const auto over = SearchQuality(encode, 95, 30 * 1024);
  ASSERT_TRUE(over);
  EXPECT_TRUE(over->over_limit);
  EXPECT_EQ(over->quality, kLowestCappedQuality);
}

TEST_F(ExtraOperationsTest, SizeCapKeepsRealOutputsUnderTheLimit) {
  SavePicture(WithNoise(MakePicture(1200, 900, "gray")), dir_ / "photo.jpg", "JPEG", 95);
  PictureSwitches sw;
  sw.width = sw.quality = true;
  ExtraOperations extras;
  extras.max_kb = 120;
  const PictureResult r = Process(dir_ / "photo.jpg", sw, extras);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  EXPECT_FALSE(r.over_limit);
  EXPECT_LT(r.quality, 95);  // noise this fine does not fit at 95
  EXPECT_LE(ReadWholeFile(dir_ / "out.jpg").size(), 120u * 1024);
  extras.max_kb = 5;  // not even at 50
  const PictureResult over = Process(dir_ / "photo.jpg", sw, extras);
  EXPECT_TRUE(over.over_limit);
  EXPECT_EQ(over.quality, 50);
}

// Each operation, described once, reaches the log line and --help, and
// its number stays in its range however it is set.
TEST(OperationTableTest, EveryOperationIsDescribedLoggedAndBounded) {
  const std::string usage = OperationsUsage(26);
  TempDir dir;
  const std::string list = dir.WriteFile("list.csv", "a.jpg,SKU-1\n");
  const auto turn_on = [&list](const OperationField& f, ExtraOperations& o) {
    f.Set(o, f.IsNumber() ? f.range.high + 1 : 1);
    for (const std::string& text : {std::string("{name}_{n:03}"), std::string("800x800"), list}) {
      if (f.IsText() && !f.IsOn(o)) f.SetValueText(o, text);
    }
  };
  for (const OperationField& f : OperationFields()) {
    ExtraOperations o;
    turn_on(f, o);
    EXPECT_TRUE(f.IsOn(o)) << f.key;
    if (f.IsNumber()) {
      EXPECT_EQ(f.Number(o), f.range.high) << f.key;
    }
    // One that tunes another (--fit, --size) or a mark is not logged, nor
    // keyed for resuming, without it: it does nothing.
    if (f.needs != nullptr) {
      const MarkSwitches no_marks{false, false};
      const bool for_jpeg = std::string_view(f.needs).find("jpeg") != std::string_view::npos;
      ExtraOperations png = o, plain_png;
      png.format = plain_png.format = kPngOutput;
      const ExtraOperations& lacking = for_jpeg ? png : o;
      const ExtraOperations& none = for_jpeg ? plain_png : ExtraOperations{};
      EXPECT_EQ(DescribeOperations(lacking, no_marks), DescribeOperations(none, no_marks)) << f.key;
      EXPECT_EQ(OperationsKeyText(lacking, no_marks), OperationsKeyText(none, no_marks)) << f.key;
      for (const OperationField* tuned : f.Needed()) turn_on(*tuned, o);
      if (std::string_view(f.needs).find("canvas") != std::string_view::npos) o.square = true;
    }
    const std::string logged = DescribeOperations(o);
    EXPECT_EQ(logged.rfind("更多处理选项：", 0), 0u) << f.key;
    EXPECT_EQ(logged.find("{}"), std::string::npos) << logged;
    EXPECT_NE(usage.find(std::string("--") + f.option), std::string::npos) << f.option;
  }
  EXPECT_EQ(DescribeOperations({}), "");
  // Journals written before the later operations keep their key, and
  // keys do not hang on where a descriptor stands.
  EXPECT_EQ(OperationsKeyText({}), "0,0,0,0,0,");
  ExtraOperations keyed;
  keyed.square = true;
  keyed.square_colour = "#102030";
  keyed.max_kb = 300;
  keyed.sharpen = 50;
  keyed.border = 8;
  keyed.border_colour = "#ff0000";
  EXPECT_EQ(OperationsKeyText(keyed), "1,300,0,0,0,#102030;sharpen=50;border=8#ff0000");
}

// An option's value: left out where it may be, a colour after a number.
TEST(OperationTableTest, OptionsTakeTheirValuesByTheirDescriptors) {
  auto take = [](const char* option, const std::string* next, ExtraOperations& o,
                 bool& took) -> std::string {
    for (const OperationField& f : OperationFields()) {
      if (std::string(f.option) == option) return f.TakeOption(next, o, took);
    }
    return "no such option";
  };
  ExtraOperations o;
  bool took = false;
  const std::string next_option = "--tile-text", border = "8,#ff0000", bad = "8,red";
  EXPECT_EQ(take("sharpen", &next_option, o, took), "");
  EXPECT_EQ(o.sharpen, 50);
  EXPECT_FALSE(took);
  EXPECT_EQ(take("border", &border, o, took), "");
  EXPECT_TRUE(took);
  EXPECT_EQ(o.border, 8);
  EXPECT_EQ(o.border_colour, "#ff0000");
  EXPECT_EQ(take("border", &bad, o, took), "the colour must be #RRGGBB");
  EXPECT_EQ(take("max-kb", nullptr, o, took), "needs a value");
  EXPECT_EQ(take("max-kb", &next_option, o, took), "must be 10 to 100000");
  EXPECT_EQ(DescribeOperations(o), "更多处理选项：锐化 50，边框 8 像素 #ff0000");
  // Choices in the window's words, a fixed size's padding too.
  ExtraOperations sized;
  sized.size = "750x1000";
  sized.format = kWebpOutput;
  EXPECT_EQ(DescribeOperations(sized), "更多处理选项：尺寸 750x1000，补边，保存为 WebP");
  sized.fit = kFitSmart;
  EXPECT_EQ(DescribeOperations(sized), "更多处理选项：尺寸 750x1000，智能裁切，保存为 WebP");
}

// What a shrink averaged away comes back at the edges, more with more
// strength; the size and the report's original stay.
TEST_F(ExtraOperationsTest, SharpenRaisesTheContrastOfEdgesAfterTheShrink) {
  const vips::VImage xy = vips::VImage::xyz(2000, 1000);
  const vips::VImage board =
      ((xy[0] / 40).floor() + (xy[1] / 40).floor()).remainder_const({2.0}) * 128 + 64;
  SavePicture(vips::VImage::bandjoin(std::vector<vips::VImage>{board, board, board})
                  .cast(VIPS_FORMAT_UCHAR)
                  .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
              dir_ / "board.png", "PNG");
  PictureSwitches sw;
  sw.width = true;
  settings_.width = 200;
  std::vector<double> spread;
  for (int amount : {0, 50, 100}) {
    ExtraOperations extras;
    extras.sharpen = amount;
    const PictureResult r = Process(dir_ / "board.png", sw, extras);
    ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
    EXPECT_EQ(r.original.width, 2000);
    const vips::VImage out = Load(dir_ / "out.jpg");
    EXPECT_EQ(out.width(), 200);
    spread.push_back(out.deviate());
  }
  EXPECT_LT(spread[0] + 1, spread[1]);
  EXPECT_LT(spread[1], spread[2]);

  // Small white text on blue shrunk 3000 -> 600: crisper without dark rims
  // round the letters (the darkest 1 % stays where the plain shrink has it).
  vips::VImage sign = MakePicture(3000, 1000, "#2050c0");
  const FontChoice font{"Liberation Sans", 90, 0xFFFFFF, 0, 1};
  ASSERT_TRUE(DrawTiledTextWatermark(sign, font, 1.0, "SHOP Shop 123", {}));
  SavePicture(sign, dir_ / "sign.png", "PNG");
  settings_.width = 600;
  std::vector<double> darkest;
  for (int amount : {0, 50, 100}) {
    ExtraOperations extras;
    extras.sharpen = amount;
    ASSERT_EQ(Process(dir_ / "sign.png", sw, extras).outcome, PictureOutcome::kProcessed);
    darkest.push_back(Load(dir_ / "out.jpg").colourspace(VIPS_INTERPRETATION_B_W).percent(1));
    EXPECT_GT(darkest.back(), darkest.front() - 10) << amount;
  }
}

// The picture shrinks into the frame, the output keeps its width and the
// text lies inside the frame; a picture too small for it stays unframed.
TEST_F(ExtraOperationsTest, BorderFramesThePictureInsideItsWidth) {
  SavePicture(MakePicture(400, 300, "blue"), dir_ / "p.png", "PNG");
  PictureSwitches sw;
  sw.text_watermark = true;
  ExtraOperations extras;
  extras.border = 10;
  extras.border_colour = "#ff0000";
  const PictureResult r = Process(dir_ / "p.png", sw, extras);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  const vips::VImage out = Load(dir_ / "out.jpg");
  EXPECT_EQ(out.width(), 400);
  EXPECT_EQ(out.height(), 305);  // 285 of picture and two frames
  EXPECT_EQ(r.size.height, 305);
  for (auto [x, y] : {std::pair{3, 150}, {396, 150}, {200, 2}, {200, 302}, {390, 295}}) {
    EXPECT_TRUE(IsNear(PixelAt(out, x, y), 1, 0, 0, 0.1)) << x << "," << y;
  }
  EXPECT_TRUE(IsNear(PixelAt(out, 200, 150), 0, 0, 1, 0.1));
  EXPECT_GT(DarkPixels(out.extract_band(2), 300, 250, 390, 295), 20);  // the text, inside

  SavePicture(MakePicture(15, 15, "blue"), dir_ / "tiny.png", "PNG");
  ASSERT_EQ(Process(dir_ / "tiny.png", {}, extras).outcome, PictureOutcome::kProcessed);
  EXPECT_TRUE(IsNear(PixelAt(Load(dir_ / "out.jpg"), 1, 1), 0, 0, 1, 0.1));
}

// A product shot off-centre on a noisy white background, its soft shadow
// beside it, comes out alone, centred, its longer side the asked share of
// the canvas, never larger than its own pixels; a picture whose corners
// differ, or that is all background, is left whole and says which.
TEST_F(ExtraOperationsTest, TrimCutsTheProductOutAndCentresItOnTheCanvas) {
  const vips::VImage shot = (MakePicture(2400, 1800, "white") - 5)
                                .insert(MakePicture(160, 600, "white") - 45, 600, 300)
                                .insert(MakePicture(400, 600, "red"), 200, 300);
  const vips::VImage noise =
      vips::VImage::gaussnoise(2400, 1800, vips::VImage::option()->set("sigma", 4.0));
  SavePicture((shot + noise)
                  .cast(VIPS_FORMAT_UCHAR)
                  .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
              dir_ / "shot.jpg", "JPEG");
  auto box_of = [](const vips::VImage& out) {
    int top = 0, width = 0, height = 0;
    const int left =
        out.find_trim(&top, &width, &height, vips::VImage::option()->set("threshold", 40.0));
    return std::array<int, 4>{left, top, width, height};
  };
  PictureSwitches sw;
  sw.width = true;
  settings_.width = 400;
  ExtraOperations extras;
  extras.trim = 24;
  extras.square = true;
  PictureResult r = Process(dir_ / "shot.jpg", sw, extras);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  EXPECT_EQ(r.untrimmed, Untrimmed::kNo);
  vips::VImage out = Load(dir_ / "out.jpg");
  EXPECT_EQ(out.width(), 400);
  EXPECT_EQ(out.height(), 400);
  auto [left, top, width, height] = box_of(out);
  EXPECT_NEAR(height, 340, 4);  // 85 % of the canvas
  EXPECT_NEAR(width, 227, 4);
  EXPECT_NEAR(left + width / 2, 200, 3);
  EXPECT_NEAR(top + height / 2, 200, 3);

  extras.square = false;  // alone: the product at its own size
  sw.width = false;
  ASSERT_EQ(Process(dir_ / "shot.jpg", sw, extras).outcome, PictureOutcome::kProcessed);
  out = Load(dir_ / "out.jpg");
  EXPECT_NEAR(out.width(), 400, 12);  // widened by a pixel of the copy looked at
  EXPECT_NEAR(out.height(), 600, 12);

  // A dot stays a dot in the middle of the canvas.
  SavePicture(MakePicture(600, 600, "white").insert(MakePicture(3, 3, "black"), 100, 500),
              dir_ / "dot.png", "PNG");
  sw.width = true;
  extras.square = true;
  ASSERT_EQ(Process(dir_ / "dot.png", sw, extras).outcome, PictureOutcome::kProcessed);
  const auto dot = box_of(Load(dir_ / "out.jpg"));
  EXPECT_LE(dot[2], 6);
  EXPECT_NEAR(dot[0] + dot[2] / 2, 200, 3);

  SavePicture(MakePicture(600, 600, "white"), dir_ / "blank.png", "PNG");
  EXPECT_EQ(Process(dir_ / "blank.png", sw, extras).untrimmed, Untrimmed::kNoProduct);

  // Cut from a grey or tinted ground, laid on that ground: no box of it shows.
  for (const char* ground : {"#e6e6e6", "#fbf8f0", "#2f8f8f"}) {
    SavePicture(MakePicture(900, 600, ground).insert(MakePicture(300, 200, "#1e2a5a"), 300, 200),
                dir_ / "ground.png", "PNG");
    ASSERT_EQ(Process(dir_ / "ground.png", sw, extras).outcome, PictureOutcome::kProcessed);
    const vips::VImage on = Load(dir_ / "out.jpg");
    const auto canvas = PixelAt(on, 2, 2);
    EXPECT_TRUE(
        IsNear(PixelAt(MakePicture(1, 1, ground), 0, 0), canvas.r, canvas.g, canvas.b, 0.02))
        << ground;
  }

  const vips::VImage xy = vips::VImage::xyz(800, 600);
  const vips::VImage ramp = (xy[0] / 4 + xy[1] / 8).cast(VIPS_FORMAT_UCHAR);
  SavePicture(vips::VImage::bandjoin(std::vector<vips::VImage>{ramp, ramp, ramp})
                  .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
              dir_ / "photo.jpg", "JPEG");
  sw.width = true;
  extras.square = true;
  r = Process(dir_ / "photo.jpg", sw, extras);
  EXPECT_EQ(r.untrimmed, Untrimmed::kNoPlainBackground);
  EXPECT_EQ(r.original.width, 800);
  out = Load(dir_ / "out.jpg");
  EXPECT_EQ(out.width(), 400);
  EXPECT_EQ(out.height(), 400);
  EXPECT_NEAR(box_of(out)[3], 300, 2);  // the whole photograph on the canvas
}

TEST(PresetTest, FoundByNameIdShortNameOrTheOnlyStartOfOne) {
  const std::vector<Preset> user = {{"详图灰边", "", "", 0, {}}};
  EXPECT_EQ(FindPreset("main")->width, 800);
  EXPECT_EQ(FindPreset("主图")->width, 800);
  EXPECT_EQ(FindPreset("th")->width, 400);
  EXPECT_EQ(FindPreset("详情图 宽 750 每段 ≤ 1500 高")->width, 750);
  EXPECT_EQ(FindPreset("详情", user)->width, 750);  // the user's is "详图…"
  EXPECT_FALSE(FindPreset("详", user));             // two start so
  EXPECT_EQ(FindPreset("详图", user)->name, "详图灰边");
  EXPECT_FALSE(FindPreset(""));
  EXPECT_FALSE(FindPreset("large"));
}

// A cut-out stays cut out in PNG, with the marks opaque on it; WebP is
// written at the quality and kept under the size cap by the same search.
TEST_F(ExtraOperationsTest, PngKeepsTransparencyAndWebpKeepsToTheSizeCap) {
  const vips::VImage clear = MakePicture(300, 200, "white").bandjoin_const({0});
  SavePicture(clear.insert(MakePicture(100, 100, "red").bandjoin_const({255}), 100, 50),
              dir_ / "cut.png", "PNG");
  PictureSwitches sw;
  sw.text_watermark = true;
  ExtraOperations extras;
  extras.format = kPngOutput;
  ASSERT_EQ(Process(dir_ / "cut.png", sw, extras).outcome, PictureOutcome::kProcessed);
  auto png = LoadForTest(dir_ / "out.jpg");  // the name is the test's own
  ASSERT_TRUE(png);
  ASSERT_EQ(png->bands(), 4);
  EXPECT_EQ(png->extract_band(3).getpoint(5, 5)[0], 0);        // transparent where it was
  EXPECT_EQ(png->extract_band(3).getpoint(150, 100)[0], 255);  // the product
  EXPECT_TRUE(IsNear(PixelAt(*png, 150, 100), 1, 0, 0, 0.1));
  EXPECT_EQ(png->extract_band(3).crop(150, 140, 140, 50).max(), 255);  // the text, bottom right
  EXPECT_EQ(SniffPictureFormat(ReadWholeFile(dir_ / "out.jpg")), PictureFormat::kPng);
  // On the square canvas one treatment for the whole output: transparent
  // round the picture as inside it, or, with a colour, all laid on it.
  extras.square = true;
  for (const char* colour : {"", "#00ff00"}) {
    extras.square_colour = colour;
    ASSERT_EQ(Process(dir_ / "cut.png", {}, extras).outcome, PictureOutcome::kProcessed);
    const vips::VImage square = Load(dir_ / "out.jpg");
    ASSERT_EQ(square.width(), 300);
    ASSERT_EQ(square.height(), 300);
    const bool clear = *colour == '\0';
    EXPECT_EQ(square.bands(), clear ? 4 : 3) << colour;
    for (auto [x, y] : {std::pair{5, 5}, {5, 100}}) {  // the canvas, the picture's own clear part
      if (clear) {
        EXPECT_EQ(square.extract_band(3).getpoint(x, y)[0], 0) << x << "," << y;
      } else {
        EXPECT_TRUE(IsNear(PixelAt(square, x, y), 0, 1, 0)) << x << "," << y;
      }
    }
    EXPECT_TRUE(IsNear(PixelAt(square, 150, 150), 1, 0, 0, 0.1));  // the product
  }
  extras.square = false;

  SavePicture(WithNoise(MakePicture(1200, 900, "blue")), dir_ / "noisy.jpg", "JPEG");
  extras = {};
  extras.format = kWebpOutput;
  extras.max_kb = 400;
  const PictureResult r = Process(dir_ / "noisy.jpg", {}, extras);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  EXPECT_EQ(SniffPictureFormat(ReadWholeFile(dir_ / "out.jpg")), PictureFormat::kWebp);
  EXPECT_FALSE(r.over_limit);
  EXPECT_LE(r.bytes, 400u * 1024);
  EXPECT_LT(r.quality, 92);
  // WebP holds at most 16383 pixels a side: told as such.
  SavePicture(MakePicture(20000, 20, "blue"), dir_ / "banner.png", "PNG");
  const PictureResult banner = Process(dir_ / "banner.png", {}, extras);
  EXPECT_EQ(banner.outcome, PictureOutcome::kWriteFailed);
  EXPECT_TRUE(banner.too_large_for_format);
}

TEST(SliceHeightsTest, PartsCoverTheWholeWithinTheirLimits) {
  for (int height : {1500, 1501, 1800, 3000, 3374, 3375, 4000, 30000}) {
    const std::vector<int> parts = SliceHeights(height, 1500);
    EXPECT_EQ(std::accumulate(parts.begin(), parts.end(), 0), height) << height;
    for (int p : parts) {
      EXPECT_LE(p, 1500) << height;
      if (parts.size() > 1) {
        EXPECT_GE(p * 4, 1500) << height;
      }
    }
  }
  EXPECT_EQ(SliceHeights(1000, 1500), std::vector<int>{1000});
  EXPECT_EQ(SlicePath("/t/a.jpg", 2), "/t/a_02.jpg");
  EXPECT_EQ(SlicePath("/t/b.png.jpg", 1), "/t/b.png_01.jpg");
}

TEST_F(ExtraOperationsTest, LongPictureIsCutIntoPartsEachWithItsMarks) {
  SavePicture(MakePicture(750, 4000, "white"), dir_ / "long.jpg", "JPEG");
  PictureSwitches sw;
  sw.text_watermark = true;
  ExtraOperations extras;
  extras.slice_height = 1500;
  const PictureResult r = Process(dir_ / "long.jpg", sw, extras);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  ASSERT_EQ(r.outputs.size(), 3u);
  EXPECT_FALSE(FileExists(dir_ / "out.jpg"));
  int total = 0;
  for (int i = 0; i < 3; ++i) {
    const vips::VImage part = Load(r.outputs[static_cast<size_t>(i)]);
    EXPECT_EQ(r.outputs[static_cast<size_t>(i)], dir_ / ("out_0" + std::to_string(i + 1) + ".jpg"));
    EXPECT_EQ(part.width(), 750);
    total += part.height();
    // The text at the bottom right of every part.
    EXPECT_GT(DarkPixels(part, 500, part.height() - 60, 750, part.height()), 50) << i;
  }
  EXPECT_EQ(total, 4000);
  // A framed part is no higher than the slice height, frame included.
  extras.border = 20;
  for (const std::string& path : Process(dir_ / "long.jpg", sw, extras).outputs) {
    EXPECT_LE(Load(path).height(), 1500) << path;
  }
}

// The frame is the whole picture's: the parts of a cut page stacked are
// the framed picture (the top on the first part, the bottom on the last);
// the frame lies inside the size in every mode, for a picture smaller than
// the size too; a picture too small for it is written without and told.
TEST_F(ExtraOperationsTest, TheFrameIsTheWholePicturesInEveryMode) {
  const vips::VImage xy = vips::VImage::xyz(790, 4200);
  const vips::VImage ramp = (xy[1] / 20 + xy[0] / 8).cast(VIPS_FORMAT_UCHAR);
  SavePicture(vips::VImage::bandjoin({ramp, ramp, ramp})
                  .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
              dir_ / "long.png", "PNG");
  ExtraOperations extras;
  extras.format = kPngOutput;  // pixels as made
  extras.border = 20;
  extras.border_colour = "#ff0000";
  ASSERT_EQ(Process(dir_ / "long.png", {}, extras).outcome, PictureOutcome::kProcessed);
  const vips::VImage whole = Load(dir_ / "out.jpg").copy_memory();
  extras.slice_height = 1500;
  const PictureResult cut = Process(dir_ / "long.png", {}, extras);
  ASSERT_EQ(cut.outputs.size(), 3u);
  std::optional<vips::VImage> stacked;
  for (const std::string& path : cut.outputs) {
    const vips::VImage part = Load(path);
    EXPECT_LE(part.height(), 1500) << path;
    stacked = stacked ? stacked->join(part, VIPS_DIRECTION_VERTICAL) : part;
  }
  ASSERT_EQ(stacked->height(), whole.height());
  EXPECT_EQ((*stacked - whole).abs().max(), 0);
  EXPECT_EQ(cut.size, (PictureSize{whole.width(), whole.height()}));

  SavePicture(MakePicture(400, 300, "blue"), dir_ / "small.png", "PNG");
  struct Mode {
    const char* what;
    bool width;  // the window's width, 800
    ExtraOperations x;
    PictureSize made;
  };
  std::vector<Mode> modes(5, {"", false, extras, {}});
  for (Mode& m : modes) m.x.slice_height = 0;
  modes[0] = {"width", true, modes[0].x, {400, 310}};  // its own width kept
  modes[1].what = "height", modes[1].x.height = 600, modes[1].made = {387, 300};
  modes[2].what = "box", modes[2].x.box = "800x800", modes[2].made = {387, 300};
  modes[3].what = "square", modes[3].width = true, modes[3].x.square = true;
  modes[3].made = {800, 800};
  modes[4].what = "size", modes[4].x.size = "600x400", modes[4].x.fit = kFitCrop;
  modes[4].made = {600, 400};
  settings_.width = 800;
  for (const Mode& m : modes) {
    PictureSwitches sw;
    sw.width = m.width;
    const PictureResult r = Process(dir_ / "small.png", sw, m.x);
    EXPECT_EQ(r.size, m.made) << m.what;
    EXPECT_EQ(*PlannedShape({400, 300}, settings_, sw, m.x), (OutputShape{m.made, {m.made.height}}))
        << m.what;
    EXPECT_TRUE(IsNear(PixelAt(Load(dir_ / "out.jpg"), 2, m.made.height / 2), 1, 0, 0)) << m.what;
  }

  for (auto [w, h] : std::vector<std::pair<int, int>>{{41, 400}, {1, 500}}) {
    SavePicture(MakePicture(w, h, "blue"), dir_ / "thin.png", "PNG");
    const PictureResult r = Process(dir_ / "thin.png", {}, extras);
    EXPECT_TRUE(r.unframed) << w;
    EXPECT_EQ(r.size, (PictureSize{w, h}));
    EXPECT_TRUE(IsNear(PixelAt(Load(dir_ / "out.jpg"), 0, h / 2), 0, 0, 1)) << w;
  }
}

// Every quarter of the picture holds ink, however small the picture is
// against the text, and so does the middle quarter.
TEST_F(ExtraOperationsTest, TiledTextCoversEveryQuarterOfThePicture) {
  settings_.sy_text = "shop.example.com";
  PictureSwitches sw;
  sw.text_watermark = true;
  ExtraOperations extras;
  extras.tiled_text = true;
  for (auto [w, h] : {std::pair{200, 200}, {400, 400}, {800, 600}, {300, 1200}}) {
    SavePicture(MakePicture(w, h, "white"), dir_ / "in.jpg", "JPEG");
    ASSERT_EQ(Process(dir_ / "in.jpg", sw, extras).outcome, PictureOutcome::kProcessed);
    const vips::VImage out = Load(dir_ / "out.jpg");
    for (auto [qx, qy] : {std::pair{0, 0}, {2, 0}, {0, 2}, {2, 2}, {1, 1}}) {
      const int x = qx * w / 4, y = qy * h / 4;
      EXPECT_GT(DarkPixels(out, x, y, x + w / 2, y + h / 2), w * h / 400)
          << w << "x" << h << " quarter at " << x << "," << y;
    }
  }
}

TEST_F(ExtraOperationsTest, WatermarkPictureTakesItsShareOfTheOutputWidth) {
  const vips::VImage mark = MakePicture(100, 50, "black").bandjoin_const({255});
  for (int width : {640, 1280}) {
    SavePicture(MakePicture(width, 400, "white"), dir_ / "in.png", "PNG");
    PictureSwitches sw;
    sw.picture_watermark = true;
    ExtraOperations extras;
    extras.mark_width_percent = 25;
    settings_.sy_image_w_value = settings_.sy_image_h_value = 0;
    ASSERT_EQ(Process(dir_ / "in.png", sw, extras, &mark).outcome, PictureOutcome::kProcessed);
    const vips::VImage out = Load(dir_ / "out.jpg");
    // A row through the mark: dark for a quarter of the width.
    const int dark = DarkPixels(out, 0, 5, out.width(), 6);
    EXPECT_NEAR(dark, width / 4, 2) << width;
  }
}

// A watermark picture larger than the room its margins leave is shrunk to
// fit it whole, wherever it is placed, and the result says so; a 16-bit
// one far larger than memory allows whole is read shrunk as it streams in.
TEST_F(ExtraOperationsTest, AMarkLargerThanThePictureIsShrunkIntoIt) {
  const vips::VImage mark = MakePicture(900, 900, "black").bandjoin_const({255});
  SavePicture(MakePicture(400, 300, "white"), dir_ / "in.png", "PNG");
  PictureSwitches sw;
  sw.picture_watermark = true;
  settings_.sy_image_w_value = settings_.sy_image_h_value = 20;
  for (int position : {0, 1, 2}) {  // centred, left/top, right/bottom
    settings_.sy_image_w_direction = settings_.sy_image_h_direction = position;
    const PictureResult r = Process(dir_ / "in.png", sw, {}, &mark);
    ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
    EXPECT_TRUE(r.mark_shrunk);
    const vips::VImage out = Load(dir_ / "out.jpg");
    // A square as high as the picture less the margin (none when centred).
    const int side = position == 0 ? 300 : 280;
    EXPECT_NEAR(DarkPixels(out, 0, 0, 400, 300), side * side, 2 * side) << position;
  }

  const std::string big = dir_ / "big16.png";
  vips::VImage::black(4000, 4000, vips::VImage::option()->set("bands", 4))
      .linear({1, 1, 1, 1}, {60000, 0, 0, 65535})
      .cast(VIPS_FORMAT_USHORT)
      .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16))
      .pngsave(big.c_str());
  // Room for the shrunk mark only, not for 128 MB of the whole.
  MemoryBudget& budget = MemoryBudget::ForPictures();
  auto others = budget.Acquire(budget.capacity() - (64u << 20));
  others->Pin();
  const auto read = LoadWatermarkPicture(big, 400);
  others.reset();
  ASSERT_TRUE(read);
  EXPECT_EQ(read->width(), 400);
  EXPECT_TRUE(IsNear(PixelAt(*read, 200, 200), 0.95, 0, 0, 0.1));
}

// A thin logo asked as wide as the picture and a text far longer than the
// picture cost what lies on the picture, not what they would be whole (the
// logo 640 x 64000, shrunk to the picture's height; the text mask over
// 100 MB).
// A text mark longer than the picture is drawn smaller, whole, and told;
// one that would be too small to read is not laid.
TEST_F(ExtraOperationsTest, ATextMarkIsLaidWholeOrNotAtAll) {
  SavePicture(MakePicture(300, 200, "white"), dir_ / "in.jpg", "JPEG");
  PictureSwitches sw;
  sw.text_watermark = true;
  settings_.sy_text = "www.example-shop.com shop";
  settings_.sy_text_font.sy_text_fontSize = 36;
  settings_.sy_text_w_direction = 1;  // left, 10 in
  PictureResult r = Process(dir_ / "in.jpg", sw, {});
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  EXPECT_TRUE(r.text_shrunk);
  // Ink from its margin to near the right edge: all of it.
  const vips::VImage out = Load(dir_ / "out.jpg");
  EXPECT_EQ(DarkPixels(out, 0, 0, 8, 200), 0);
  EXPECT_GT(DarkPixels(out, 10, 0, 50, 200), 0);
  EXPECT_GT(DarkPixels(out, 250, 0, 300, 200), 0);
  for (int i = 0; i < 4; ++i) settings_.sy_text += settings_.sy_text;
  EXPECT_EQ(Process(dir_ / "in.jpg", sw, {}).outcome, PictureOutcome::kMarkFailed);
}

// Each part of a cut picture prints its own size, as its name holds it.
TEST_F(ExtraOperationsTest, EachPartsTextMarkTellsItsOwnSize) {
  SavePicture(MakePicture(600, 1300, "white"), dir_ / "tall.png", "PNG");
  PictureSwitches sw;
  sw.text_watermark = true;
  settings_.sy_text = "{h}";
  ExtraOperations extras;
  extras.slice_height = 1000;  // parts 1000 and 300 high
  const TokenValues tokens{"tall.png", 1, "src", "2026-12-09"};
  const PictureResult r = ProcessOnePicture(dir_ / "tall.png", dir_ / "out.jpg", settings_, sw,
                                            nullptr, extras, nullptr, &tokens);
  ASSERT_EQ(r.outcome, PictureOutcome::kProcessed);
  ASSERT_EQ(r.outputs.size(), 2u);
  // "1000" on the first, "300" on the second: a digit more of ink.
  const int first = DarkPixels(Load(r.outputs[0]), 300, 940, 600, 1000);
  const int second = DarkPixels(Load(r.outputs[1]), 300, 240, 600, 300);
  EXPECT_GT(first, second * 5 / 4) << first << " " << second;
}

TEST_F(ExtraOperationsTest, MarksCostOnlyWhatLiesOnThePicture) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer keeps freed memory aside; measured in the plain build";
#endif
  SavePicture(MakePicture(640, 360, "white"), dir_ / "in.jpg", "JPEG");
  const vips::VImage thin = MakePicture(20, 2000, "black").bandjoin_const({255});
  PictureSwitches sw;
  sw.picture_watermark = sw.text_watermark = true;
  ExtraOperations extras;
  extras.mark_width_percent = 100;
  settings_.sy_text_font.sy_text_fontSize = kMaxFontSize;
  settings_.sy_text.clear();
  for (int i = 0; i < 4000; ++i) settings_.sy_text += "SHOP ";
  for (int tiled : {0, 1}) {
    extras.tiled_text = tiled;
    const long before = PeakKilobytes();
    const PictureResult r = Process(dir_ / "in.jpg", sw, extras, &thin);
    // Along one line it would be too small to read: not laid, and told.
    ASSERT_EQ(r.outcome, tiled ? PictureOutcome::kProcessed : PictureOutcome::kMarkFailed);
    EXPECT_LT(PeakKilobytes() - before, 48 * 1024) << "tiled " << tiled;
    EXPECT_TRUE(r.mark_shrunk);
  }
}

// Mirrored left to right, the mark laid after: the red half goes right,
// the black text mark stays at the bottom right, reading as typed.
TEST_F(ExtraOperationsTest, AMirroredPictureKeepsItsMarksAsPlaced) {
  vips::VImage halves = MakePicture(400, 200, "blue");
  halves = halves.insert(MakePicture(200, 200, "red"), 0, 0);
  SavePicture(halves, dir_ / "halves.png", "PNG");
  PictureSwitches sw;
  sw.text_watermark = true;
  ExtraOperations extras;
  extras.mirror = true;
  ASSERT_EQ(Process(dir_ / "halves.png", sw, extras).outcome, PictureOutcome::kProcessed);
  const vips::VImage out = Load(dir_ / "out.jpg");
  EXPECT_TRUE(IsNear(PixelAt(out, 300, 50), 1, 0, 0, 0.1));  // red, now on the right
  EXPECT_TRUE(IsNear(PixelAt(out, 100, 50), 0, 0, 1, 0.1));
  EXPECT_GT(DarkPixels(out, 250, 140, 400, 200), 100);  // the text, bottom right
  EXPECT_EQ(DarkPixels(out, 0, 140, 150, 200), 0);
  EXPECT_EQ(DescribeOperations(extras), "更多处理选项：左右镜像");
}

}  // namespace
}  // namespace lumivane
