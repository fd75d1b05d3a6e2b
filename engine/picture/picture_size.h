#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_SIZE_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_SIZE_H_

#include <vector>

namespace lumivane {

struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize&) const = default;
};

// What a picture is written as: its size with the frame, and the parts it
// is cut into.
struct OutputShape {
  PictureSize size;                 // all parts together, each with its frame
  std::vector<int> part_heights{};  // each part's, the frame's rows in them; one when uncut
  bool operator==(const OutputShape&) const = default;
};

// Width and height after shrinking a w x h picture to `width`: never
// enlarged, the height truncated and at least 1.
PictureSize ShrunkSize(int w, int h, int width);
// The same, shrunk further when needed to be at most `height` high (the
// width then truncated and at least 1); `height` 0 for no limit.
PictureSize FittedSize(int w, int h, int width, int height);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_SIZE_H_
