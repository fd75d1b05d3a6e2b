// Real pictures made with the imaging library, for the tests.
#ifndef LUMIVANE_TESTS_PICTURE_FIXTURES_H_
#define LUMIVANE_TESTS_PICTURE_FIXTURES_H_

#include <optional>
#include <string>
#include <vips/vips8>

#include "tests/picture_files.h"

namespace lumivane::testing {

// A w x h 8-bit sRGB picture of one colour ("white", "black", "red",
// "green", "blue", "gray", "#rrggbb"; "none" for transparent RGBA).
vips::VImage MakePicture(size_t w, size_t h, const std::string& colour);
// The picture with Gaussian noise, as a detailed photograph has.
vips::VImage WithNoise(const vips::VImage& picture);
// Writes the picture in the given format ("JPEG", "PNG", "BMP", "GIF").
void SavePicture(const vips::VImage& picture, const std::string& path, const std::string& format,
                 int quality = 0);

struct Rgb {
  double r, g, b;  // 0..1
};
std::optional<vips::VImage> LoadForTest(const std::string& path);
Rgb PixelAt(const vips::VImage& picture, int x, int y);
bool IsNear(const Rgb& c, double r, double g, double b, double tolerance = 0.08);
// Counts pixels within a rectangle that are darker than 0.5 in all channels.
int DarkPixels(const vips::VImage& picture, int x0, int y0, int x1, int y1);
// The bytes of a 40 x 20 JPEG (red left, blue right) whose EXIF says
// "rotate 90 clockwise to view" and that carries a GPS position and a
// comment; `scratch` is a path it may write.
std::string JpegWithExifOrientation6(const std::string& scratch);
// A PNG chunk of `type` holding `data`, with its length and check sum.
std::string PngChunk(const std::string& type, const std::string& data);
// The bytes of a PNG of `picture` whose eXIf chunk, before its pixels, says
// "rotate 90 clockwise to view", as newer writers put it.
std::string PngWithExifOrientation6(const vips::VImage& picture, const std::string& scratch);

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_PICTURE_FIXTURES_H_
