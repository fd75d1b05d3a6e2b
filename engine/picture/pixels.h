// A picture's 8-bit pixels in memory, read and made in plain loops: a
// handful of passes over them cost a fraction of as many of the imaging
// library's operations, each of which is a pass of its own.
#ifndef LUMIVANE_ENGINE_PICTURE_PIXELS_H_
#define LUMIVANE_ENGINE_PICTURE_PIXELS_H_

#include <cstddef>
#include <vector>
#include <vips/vips8>

namespace lumivane {

// Read where they lie (the picture is made in memory first when it is not).
struct Pixels {
  vips::VImage image;  // keeps the memory
  const unsigned char* data;
  int width, height, bands;
  explicit Pixels(const vips::VImage& picture);
  const unsigned char* At(int x, int y) const {
    return data + (static_cast<size_t>(y) * width + x) * bands;
  }
};

// A picture made of `data` (`like`'s size and bands, 8-bit), with `like`'s
// resolution, meaning and original size.
vips::VImage PictureLike(const vips::VImage& like, const std::vector<unsigned char>& data);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PIXELS_H_
