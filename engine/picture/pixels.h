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

// A picture's 8-bit rows, read from the top a strip at a time: where it
// lies when it is in memory, else made a strip at a time. Never a whole
// copy of it.
class RowsOf {
 public:
  explicit RowsOf(const vips::VImage& picture);
  // Row `y`, valid until a row outside the strip that holds it is asked.
  const unsigned char* Row(int y);
  int width() const { return image_.width(); }
  int height() const { return image_.height(); }
  int bands() const { return image_.bands(); }

 private:
  vips::VImage image_;
  vips::VRegion region_;
  int top_ = 0, rows_ = 0;
};

// A picture like `like` (its size and bands, 8-bit, its resolution, meaning
// and original size) made row by row straight into memory: the only copy
// of the result there is.
class RowsLike {
 public:
  explicit RowsLike(const vips::VImage& like);
  // Row `y` of the result, in order from the top.
  void Put(int y, const unsigned char* row);
  // The result, once every row is put.
  vips::VImage Made() const { return made_; }

 private:
  vips::VImage made_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PIXELS_H_
