#include "engine/picture/white_ground.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

// Saved as the JPEG a camera gives and read back.
vips::VImage Shot(const vips::VImage& scene, const TempDir& dir) {
  SavePicture(scene.cast(VIPS_FORMAT_UCHAR)
                  .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
              dir / "shot.jpg", "JPEG", 92);
  return *LoadForTest(dir / "shot.jpg");
}

vips::VImage Grey(const vips::VImage& one) { return vips::VImage::bandjoin({one, one, one}); }

// A studio shot 1200 x 900: a grey sweep (#c4c4c4 at the top to #e8e8e8 at
// the bottom), a soft shadow, a blue product on it and a gold chain about
// 1.6 pixels wide above it.
TEST(WhiteGroundTest, TheGroundTurnsWhiteWhileTheProductTheChainAndTheShadowStay) {
  TempDir dir;
  const vips::VImage xy = vips::VImage::xyz(1200, 900);
  const vips::VImage sweep = Grey(xy[1] * ((232.0 - 196) / 899) + 196);
  const vips::VImage spot = MakePicture(1200, 900, "black")
                                .insert(MakePicture(500, 90, "white"), 390, 570)[0]
                                .gaussblur(25) *
                            (0.6 / 255);
  const vips::VImage chain_line = ((xy[1] - 150 - (xy[0] / 60).sin() * 40).abs() < 0.8);
  const vips::VImage scene =
      chain_line.ifthenelse(std::vector<double>{201, 162, 58}, sweep * (1 - spot))
          .insert(MakePicture(400, 350, "#2a5db0"), 420, 250);
  const vips::VImage shot = Shot(scene, dir);
  const auto white = OnWhiteGround(shot, 16);
  ASSERT_TRUE(white);
  // Every pixel of the ground away from the product and its shadow is white.
  for (auto [x, y, w, h] : {std::array{0, 0, 1200, 100},
                            {0, 780, 1200, 120},
                            {0, 250, 150, 650},
                            {1050, 250, 150, 650}}) {
    EXPECT_EQ(white->crop(x, y, w, h).min(), 255) << x << "," << y;
  }
  // The product as it was.
  EXPECT_LE((white->crop(440, 270, 360, 310) - shot.crop(440, 270, 360, 310)).abs().max(), 1);
  // All of the chain, its darkest pixel in each column still gold.
  for (int x = 20; x < 1180; x += 40) {
    const int y = static_cast<int>(150 + std::sin(x / 60.0 * M_PI / 180) * 40);
    EXPECT_LE((*white)[2].crop(x, y - 3, 1, 7).min(), 150) << x;
  }
  // The shadow a neutral grey fading into the white without a step.
  const vips::VImage down = white->crop(640, 600, 1, 180);
  EXPECT_LT(down.min(), 200);
  EXPECT_LE((down[0] - down[2]).abs().max(), 4);
  EXPECT_LE((down.crop(0, 1, 1, 179) - down.crop(0, 0, 1, 179)).abs().max(), 6);

  // A light grey disc on white, its edge softened: all of it as it was.
  const vips::VImage r = ((xy[0] - 600).pow(2) + (xy[1] - 450).pow(2)).pow(0.5);
  const vips::VImage disc = Shot(Grey((r < 250).ifthenelse(230, 255).gaussblur(1)), dir);
  const auto whitened_disc = OnWhiteGround(disc, 16);
  ASSERT_TRUE(whitened_disc);
  EXPECT_LE(((*whitened_disc - disc).abs() * Grey(r < 246) / 255).max(), 1);

  // No plain ground, or a dark one: nothing is done.
  const vips::VImage grain = (xy[0] * 20 + xy[1] * 3).sin() * 50 + 150;
  EXPECT_FALSE(
      OnWhiteGround(Shot(vips::VImage::bandjoin({grain, grain * 0.9, grain * 0.7}), dir), 16));
  EXPECT_FALSE(OnWhiteGround(
      Shot(MakePicture(1200, 900, "#303030").insert(MakePicture(400, 350, "#2a5db0"), 420, 250),
           dir),
      16));
}

}  // namespace
}  // namespace lumivane
