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

// A soft shadow is cut away whole, never part of it; a hard one that does
// not fade is kept whole with the product; a shadow a cut would run through
// (wider than the product under it) is kept whole.
TEST_F(ProductBoxTest, ShadowsAreCutAwayOrKeptWholeNeverCutThrough) {
  auto soft = [](int x, int y, int w, int h) {
    const vips::VImage spot =
        MakePicture(1600, 1200, "black").insert(MakePicture(w, h, "white"), x, y)[0].gaussblur(18) *
        (110.0 / 255);
    return White() - vips::VImage::bandjoin({spot, spot, spot});
  };
  ExpectBox(BoxIn(soft(540, 340, 600, 550).insert(Product("#c03030"), 500, 300)), 500, 300, 600,
            550, "soft shadow");
  ExpectBox(BoxIn(soft(540, 340, 600, 550).insert(Product("#d4d4d4"), 500, 300)), 500, 300, 600,
            550, "soft shadow under a light-grey product");
  const vips::VImage hard = White()
                                .insert(MakePicture(600, 550, "#909090"), 525, 325)
                                .insert(Product("#30a030"), 500, 300);
  ExpectBox(BoxIn(hard), 500, 300, 625, 575, "hard shadow");
  // A wide soft shadow under a ball: all of the shadow, to where it fades.
  const vips::VImage xy = vips::VImage::xyz(1600, 1200);
  const vips::VImage ball =
      ((xy[0] - 800).pow(2) + (xy[1] - 600).pow(2) < 230 * 230)
          .ifthenelse(std::vector<double>{32, 96, 192}, soft(500, 800, 600, 60));
  const auto box = BoxIn(ball);
  ASSERT_TRUE(box);
  EXPECT_LT((*box)[0], 500);
  EXPECT_GT((*box)[0] + (*box)[2], 1100);
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
