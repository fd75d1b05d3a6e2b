#include "engine/picture/watermark.h"

#include <gtest/gtest.h>

#include "engine/picture/font_resolver.h"
#include "engine/picture/memory_budget.h"
#include "engine/picture/picture_ops.h"
#include "tests/picture_files.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

TEST(PictureWatermarkOffsetTest, NinePlacementsOnA640x480Picture) {
  auto at = [](long w, long h, int hcode, int vcode) {
    Offset o = PictureWatermarkOffset(640, 480, w, h, {hcode, 16}, {vcode, 16});
    return std::make_pair(o.x, o.y);
  };
  EXPECT_EQ(at(100, 50, kFarEdge, kFarEdge), std::make_pair(524L, 414L));
  EXPECT_EQ(at(100, 50, kCentred, kCentred), std::make_pair(270L, 215L));
  EXPECT_EQ(at(100, 50, kNearEdge, kCentred), std::make_pair(16L, 215L));
  EXPECT_EQ(at(100, 50, kNearEdge, kNearEdge), std::make_pair(16L, 16L));
  EXPECT_EQ(at(101, 51, kCentred, kCentred), std::make_pair(269L, 214L));
  // Any other code acts as the far edge; a wider mark gets a negative x,
  // truncated toward zero.
  EXPECT_EQ(at(100, 50, 0, 7), std::make_pair(524L, 414L));
  EXPECT_EQ(at(701, 50, kCentred, kNearEdge), std::make_pair(-30L, 16L));
}

TEST(PictureWatermarkTest, ReadNoLargerThanItIsLaidAndHeldAsKept) {
  TempDir dir;
  // A red logo on a transparent field, far wider than any picture.
  vips::VImage logo = MakePicture(4000, 2000, "black").bandjoin_const({0}).copy_memory();
  logo.draw_rect({255, 0, 0, 255}, 1000, 500, 2000, 1000,
                 vips::VImage::option()->set("fill", true));
  const std::string mark = dir / "logo.png";
  SavePicture(logo, mark, "PNG");
  MakePictureFile(dir / "wide.jpg", 400, 300, "white", "JPEG");
  MakePictureFile(dir / "tall.jpg", 300, 500, "white", "JPEG");
  MakePictureFile(dir / "other.gif", 30, 50, "white", "GIF");
  const std::vector<std::string> sources = {dir / "wide.jpg", dir / "tall.jpg"};
  ProcessingSettings settings;
  settings.width = 200;
  PictureSwitches sized, turned, plain;
  sized.width = turned.width = true;
  turned.rotation = 90;
  ExtraOperations extras;
  extras.mark_width_percent = 50;
  EXPECT_EQ(WidestMark(settings, sized, extras, sources), 100);
  EXPECT_EQ(WidestMark(settings, plain, extras, sources), 200);            // the widest output, 400
  EXPECT_EQ(WidestMark(settings, turned, extras, sources), 166);           // 200 x 333 turned
  EXPECT_EQ(WidestMark(settings, plain, extras, {dir / "other.gif"}), 0);  // size not told
  extras.mark_width_percent = 0;  // at its own size, but never wider than an output
  EXPECT_EQ(WidestMark(settings, sized, extras, sources), 200);

  // Held in the budget as kept, not as large as reading it took; its
  // transparent field leaves no dark rim round the red.
  std::optional<MemoryBudget::Ticket> hold;
  const auto read = LoadWatermarkPicture(mark, 250, &hold);
  ASSERT_TRUE(read && hold);
  EXPECT_EQ(read->width(), 250);
  EXPECT_EQ(read->height(), 125);
  EXPECT_EQ(hold->bytes(), 250u * 125 * 4);
  EXPECT_EQ(MemoryBudget::ForPictures().used(), hold->bytes());
  const vips::VImage edge = read->extract_area(62, 40, 1, 40);  // partly covered
  EXPECT_GT(edge.extract_band(3).min(), 0);
  EXPECT_GE(edge.extract_band(0).min(), 250);
}

TEST(CompositePictureWatermarkTest, WideMarkIsCutOnBothSides) {
  vips::VImage picture = MakePicture(100, 60, "white");
  const vips::VImage mark = MakePicture(140, 20, "black").bandjoin_const({255});
  CompositePictureWatermark(picture, mark, {kCentred, 0}, {kCentred, 0});
  EXPECT_EQ(picture.width(), 100);
  EXPECT_TRUE(IsNear(PixelAt(picture, 0, 30), 0, 0, 0));
  EXPECT_TRUE(IsNear(PixelAt(picture, 99, 30), 0, 0, 0));
  EXPECT_TRUE(IsNear(PixelAt(picture, 50, 10), 1, 1, 1));
}

// White text on a white picture shows only by its outline or its shadow;
// the outline takes its colour and lies round the letters.
TEST(DrawTextWatermarkTest, OutlineAndShadowMakeTheTextReadOnItsOwnColour) {
  const FontChoice font{"Liberation Sans", 40, 0xFFFFFF, 0, 1};
  auto drawn = [&](const TextLook& look) {
    vips::VImage p = MakePicture(300, 100, "white");
    EXPECT_TRUE(DrawTextWatermark(p, {kCentred, 0}, {kCentred, 0}, font, 1.0, "SHOP", look));
    return p;
  };
  EXPECT_EQ(DarkPixels(drawn({}), 0, 0, 300, 100), 0);
  const vips::VImage outlined = drawn({2, "#0000ff", false});
  EXPECT_GT(DarkPixels(outlined.extract_band(0), 0, 0, 300, 100), 300);
  EXPECT_EQ(DarkPixels(outlined.extract_band(2), 0, 0, 300, 100), 0);  // blue, not black
  EXPECT_LT(drawn({0, "#000000", true}).avg(), 253);  // a soft shade round white letters
  vips::VImage tiled = MakePicture(300, 300, "white");
  EXPECT_TRUE(DrawTiledTextWatermark(tiled, font, 1.0, "SHOP", {2, "#000000", false}));
  EXPECT_GT(DarkPixels(tiled, 0, 0, 300, 300), 300);

  // Translucent text and its outline are one mark: the outline's colour
  // does not show through the letters.
  vips::VImage half = MakePicture(300, 120, "white");
  const FontChoice black{"Liberation Sans", 72, 0, 0, 1};
  EXPECT_TRUE(DrawTextWatermark(half, {kCentred, 0}, {kCentred, 0}, black, 0.5, "III",
                                {3, "#ffff00", false}));
  const vips::VImage tint = half[0] - half[2];  // yellow shows as red above blue
  const vips::VImage letters = (half[0] < 160) & (half[2] < 160);
  EXPECT_GT(letters.avg(), 0);
  EXPECT_LT((letters / 255 * tint).max(), 16);
}

TEST(FontShowsChineseTest, TellsChineseFontsFromLatinOnes) {
  EXPECT_FALSE(FontShowsChinese({"Arial"}));
  EXPECT_FALSE(FontShowsChinese({"Liberation Sans"}));
  EXPECT_TRUE(FontShowsChinese({"WenQuanYi Zen Hei"}));
  // A Chinese face name that is not installed falls back to a Chinese font.
  EXPECT_TRUE(FontShowsChinese({"宋体"}));
}

TEST(DrawTextWatermarkTest, ChineseTextIsDrawnWithAChineseFont) {
  vips::VImage p = MakePicture(300, 100, "white");
  FontChoice font{"WenQuanYi Zen Hei", 30, 0, 0, 0};
  DrawTextWatermark(p, {kNearEdge, 0}, {kNearEdge, 0}, font, 1.0, "宝贝店铺");
  EXPECT_GT(DarkPixels(p, 0, 0, 300, 100), 200);
}

TEST(DrawTextWatermarkTest, OpacityLightensTheText) {
  FontChoice font{"Liberation Sans", 40, 0, 0, 1};
  vips::VImage solid = MakePicture(300, 100, "white");
  vips::VImage faint = MakePicture(300, 100, "white");
  DrawTextWatermark(solid, {kNearEdge, 5}, {kNearEdge, 5}, font, 1.0, "WWWW");
  DrawTextWatermark(faint, {kNearEdge, 5}, {kNearEdge, 5}, font, 0.1f, "WWWW");
  EXPECT_GT(DarkPixels(solid, 0, 0, 300, 100), 300);
  EXPECT_EQ(DarkPixels(faint, 0, 0, 300, 100), 0);
}

TEST(DrawTextWatermarkTest, ZeroMarginsAtTheNearEdgesTouchTheTopLeftCorner) {
  vips::VImage p = MakePicture(300, 100, "white");
  FontChoice font{"Liberation Sans", 40, 0, 0, 0};
  DrawTextWatermark(p, {kNearEdge, 0}, {kNearEdge, 0}, font, 1.0, "HH");
  EXPECT_GT(DarkPixels(p, 0, 0, 12, 12), 5);
}

}  // namespace
}  // namespace lumivane
