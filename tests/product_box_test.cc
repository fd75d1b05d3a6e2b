#include "engine/picture/product_box.h"

#include <gtest/gtest.h>

#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

// A 1600 x 1200 shot: `scene` drawn on white, saved and read back as the
// JPEG a camera gives, then the box looked for in it.
class ProductBoxTest : public ::testing::Test {
 protected:
  std::optional<std::array<int, 4>> BoxIn(const vips::VImage& scene, int tolerance = 24) {
    SavePicture(scene.cast(VIPS_FORMAT_UCHAR)
                    .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
                dir_ / "shot.jpg", "JPEG", 92);
    return ProductBox(*LoadForTest(dir_ / "shot.jpg"), tolerance, why_);
  }
  static vips::VImage White() { return MakePicture(1600, 1200, "white"); }
  // A product 600 x 550 at (500, 300).
  static vips::VImage Product(const std::string& colour) { return MakePicture(600, 550, colour); }
  static void ExpectBox(const std::optional<std::array<int, 4>>& box, int x, int y, int w, int h,
                        const std::string& what) {
    ASSERT_TRUE(box) << what;
    EXPECT_NEAR((*box)[0], x, 2) << what;
    EXPECT_NEAR((*box)[1], y, 2) << what;
    EXPECT_NEAR((*box)[2], w, 4) << what;
    EXPECT_NEAR((*box)[3], h, 4) << what;
  }

  TempDir dir_;
  Untrimmed why_ = Untrimmed::kNo;
};

// Light neutral products are products, not shadow: the whole of each is
// found, with a darker label on it or shaded towards the bottom.
TEST_F(ProductBoxTest, LightGreyAndWhiteProductsAreFoundWhole) {
  for (const char* grey : {"#969696", "#afafaf", "#c8c8c8", "#e0e0e0", "#e6e6e6"}) {
    const vips::VImage shot =
        White().insert(Product(grey), 500, 300).insert(MakePicture(40, 30, "#808080"), 780, 560);
    ExpectBox(BoxIn(shot), 500, 300, 600, 550, grey);
  }
  // Within the default tolerance of white it is background; a finer one finds it.
  ExpectBox(BoxIn(White().insert(Product("#f0f0f0"), 500, 300), 10), 500, 300, 600, 550, "240");
  // White at the top, #d0d0d0 at the bottom, a thin grey outline.
  const vips::VImage shade =
      (vips::VImage::xyz(600, 550)[1] * (-47.0 / 549) + 255).cast(VIPS_FORMAT_UCHAR);
  const vips::VImage outlined =
      MakePicture(602, 552, "#bbbbbb").insert(vips::VImage::bandjoin({shade, shade, shade}), 1, 1);
  ExpectBox(BoxIn(White().insert(outlined, 499, 299)), 499, 299, 602, 552, "shaded white");
}

// Everything that differs from the ground is the product's: a chain a
// pixel or two wide on a large photograph, a light product's soft edge; a
// shadow is kept to where it fades, never ended in a step.
TEST_F(ProductBoxTest, ChainsSoftEdgesAndShadowsAreKeptToWhereTheyFade) {
  auto soft = [](int x, int y, int w, int h) {
    const vips::VImage spot =
        MakePicture(1600, 1200, "black").insert(MakePicture(w, h, "white"), x, y)[0].gaussblur(18) *
        (110.0 / 255);
    return White() - vips::VImage::bandjoin({spot, spot, spot});
  };
  for (const char* colour : {"#c03030", "#d4d4d4"}) {
    const auto box = BoxIn(soft(540, 340, 600, 550).insert(Product(colour), 500, 300));
    ASSERT_TRUE(box) << colour;
    EXPECT_NEAR((*box)[0], 500, 2) << colour;
    EXPECT_NEAR((*box)[1], 300, 2) << colour;
    // The shadow fades some 30 pixels beyond its spot (blurred by 18):
    // kept to within a few levels of the ground.
    EXPECT_GE((*box)[0] + (*box)[2], 1140 + 24) << colour;
    EXPECT_GE((*box)[1] + (*box)[3], 890 + 24) << colour;
  }
  const vips::VImage hard = White()
                                .insert(MakePicture(600, 550, "#909090"), 525, 325)
                                .insert(Product("#30a030"), 500, 300);
  ExpectBox(BoxIn(hard), 500, 300, 625, 575, "hard shadow");

  // A silver chain about 1.6 pixels wide round a 4000 x 3000 shot, a
  // pendant at its foot: all of the chain.
  const vips::VImage xy = vips::VImage::xyz(4000, 3000);
  const vips::VImage r = ((xy[0] - 2000).pow(2) + (xy[1] - 1500).pow(2)).pow(0.5);
  const vips::VImage chain =
      ((r - 1200).abs() < 0.8)
          .ifthenelse(std::vector<double>{150, 150, 155}, MakePicture(4000, 3000, "white"))
          .insert(MakePicture(80, 120, "#c0a040"), 1960, 2680);
  ExpectBox(BoxIn(chain), 800, 300, 2400, 2500, "chain");

  // A light ellipse shaded #e6e6e6 to #cdcdcd with a soft edge, on #f5f5f5:
  // every pixel further from the ground than the tolerance is inside.
  const vips::VImage e =
      ((xy[0] - 800).pow(2) / (500.0 * 500) + (xy[1] - 600).pow(2) / (380.0 * 380) < 1)
          .crop(0, 0, 1600, 1200)
          .gaussblur(6);
  const vips::VImage shade = 230 - (xy[1].crop(0, 0, 1600, 1200) - 220) * (25.0 / 760);
  const vips::VImage light = e / 255 * shade + (1 - e / 255) * 245;
  const auto box = BoxIn(vips::VImage::bandjoin({light, light, light}));
  ASSERT_TRUE(box);
  const vips::VImage away = (vips::VImage::bandjoin({light, light, light}) - 245).abs() > 24;
  int top = 0, width = 0, height = 0;
  const int left =
      (away[0] * 255)
          .cast(VIPS_FORMAT_UCHAR)
          .find_trim(&top, &width, &height,
                     vips::VImage::option()->set("background", 0)->set("threshold", 1));
  EXPECT_LE((*box)[0], left);
  EXPECT_LE((*box)[1], top);
  EXPECT_GE((*box)[0] + (*box)[2], left + width);
  EXPECT_GE((*box)[1] + (*box)[3], top + height);
}

// A photograph has no plain background, even where its corners happen to
// agree: it is left as it is.
TEST_F(ProductBoxTest, ATexturedPhotographHasNoPlainBackground) {
  const vips::VImage xy = vips::VImage::xyz(1600, 1200);
  const vips::VImage grain = (xy[0] * 20 + xy[1] * 3).sin() * 50 + 150;  // degrees: 18-px grain
  const vips::VImage wood = vips::VImage::bandjoin({grain, grain * 0.9, grain * 0.7});
  EXPECT_FALSE(BoxIn(wood));
  EXPECT_EQ(why_, Untrimmed::kNoPlainBackground);
  EXPECT_FALSE(BoxIn(White()));
  EXPECT_EQ(why_, Untrimmed::kNoProduct);
}

}  // namespace
}  // namespace lumivane
