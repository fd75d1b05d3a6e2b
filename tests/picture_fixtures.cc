#include "tests/picture_fixtures.h"

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "engine/imaging_environment.h"

namespace lumivane::testing {

MagickWandPtr MakePicture(size_t w, size_t h, const std::string& colour) {
  EnsureImagingEnvironment();
  MagickWandPtr wand = NewPicture();
  PixelWandPtr c = NewColour();
  PixelSetColor(c.get(), colour.c_str());
  MagickNewImage(wand.get(), w, h, c.get());
  return wand;
}

void SavePicture(MagickWand* wand, const std::string& path, const std::string& format,
                 int quality) {
  MagickSetImageFormat(wand, format.c_str());
  if (quality > 0) MagickSetImageCompressionQuality(wand, static_cast<size_t>(quality));
  size_t length = 0;
  MagickMemoryPtr<unsigned char> blob(MagickGetImageBlob(wand, &length));
  if (!blob) throw std::runtime_error("cannot encode " + format);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(blob.get()),
                                              static_cast<std::streamsize>(length));
}

void MakePictureFile(const std::string& path, size_t w, size_t h, const std::string& colour,
                     const std::string& format) {
  SavePicture(MakePicture(w, h, colour).get(), path, format);
}

MagickWandPtr LoadForTest(const std::string& path) {
  EnsureImagingEnvironment();
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  MagickWandPtr wand = NewPicture();
  if (bytes.empty() || !MagickReadImageBlob(wand.get(), bytes.data(), bytes.size())) return nullptr;
  return wand;
}

Rgb PixelAt(MagickWand* wand, long x, long y) {
  PixelWandPtr p = NewColour();
  MagickGetImagePixelColor(wand, x, y, p.get());
  return {PixelGetRed(p.get()), PixelGetGreen(p.get()), PixelGetBlue(p.get())};
}

bool IsNear(const Rgb& c, double r, double g, double b, double tolerance) {
  return std::fabs(c.r - r) <= tolerance && std::fabs(c.g - g) <= tolerance &&
         std::fabs(c.b - b) <= tolerance;
}

int DarkPixels(MagickWand* wand, long x0, long y0, long x1, long y1) {
  const size_t w = static_cast<size_t>(x1 - x0), h = static_cast<size_t>(y1 - y0);
  std::vector<unsigned char> rgb(w * h * 3);
  MagickExportImagePixels(wand, x0, y0, w, h, "RGB", CharPixel, rgb.data());
  int n = 0;
  for (size_t i = 0; i < w * h; ++i) {
    if (rgb[3 * i] < 128 && rgb[3 * i + 1] < 128 && rgb[3 * i + 2] < 128) ++n;
  }
  return n;
}

}  // namespace lumivane::testing
