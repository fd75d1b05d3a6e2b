// Real pictures made with the imaging library, for the tests.
#ifndef LUMIVANE_TESTS_PICTURE_FIXTURES_H_
#define LUMIVANE_TESTS_PICTURE_FIXTURES_H_

#include <string>

#include "engine/magick_handles.h"

namespace lumivane::testing {

// A w x h picture of one colour ("white", "#ff0000", "none" for transparent).
MagickWandPtr MakePicture(size_t w, size_t h, const std::string& colour);
// Writes the picture in the given format ("JPEG", "PNG", "BMP", "GIF").
void SavePicture(MagickWand* wand, const std::string& path, const std::string& format,
                 int quality = 0);
void MakePictureFile(const std::string& path, size_t w, size_t h, const std::string& colour,
                     const std::string& format);

struct Rgb {
  double r, g, b;  // 0..1
};
MagickWandPtr LoadForTest(const std::string& path);
Rgb PixelAt(MagickWand* wand, long x, long y);
bool IsNear(const Rgb& c, double r, double g, double b, double tolerance = 0.08);
// Counts pixels within a rectangle that are darker than 0.5 in all channels.
int DarkPixels(MagickWand* wand, long x0, long y0, long x1, long y1);

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_PICTURE_FIXTURES_H_
