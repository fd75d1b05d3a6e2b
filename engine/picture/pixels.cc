#include "engine/picture/pixels.h"

#include <algorithm>

#include "engine/picture/picture_io.h"

namespace lumivane {

namespace {
// A picture already 8-bit in memory is read where it lies, not copied.
vips::VImage InMemory8Bit(const vips::VImage& picture) {
  return (picture.format() == VIPS_FORMAT_UCHAR ? picture : picture.cast(VIPS_FORMAT_UCHAR))
      .copy_memory();
}
}  // namespace

Pixels::Pixels(const vips::VImage& picture)
    : image(InMemory8Bit(picture)),
      data(static_cast<const unsigned char*>(image.data())),
      width(image.width()),
      height(image.height()),
      bands(image.bands()) {}

namespace {
// Rows a strip holds: a few megabytes of the widest picture.
constexpr int kStripRows = 64;
}  // namespace

RowsOf::RowsOf(const vips::VImage& picture)
    : image_(picture.format() == VIPS_FORMAT_UCHAR ? picture : picture.cast(VIPS_FORMAT_UCHAR)),
      region_(vips::VRegion::new_from_image(image_)) {}

const unsigned char* RowsOf::Row(int y) {
  if (y < top_ || y >= top_ + rows_) {
    top_ = y;
    rows_ = std::min(kStripRows, height() - y);
    region_.prepare(0, top_, width(), rows_);
  }
  return VIPS_REGION_ADDR(region_.get_region(), 0, y);
}

RowsLike::RowsLike(const vips::VImage& like) : made_(vips_image_new_memory(), vips::STEAL) {
  VipsImage* made = made_.get_image();
  vips_image_init_fields(made, like.width(), like.height(), like.bands(), VIPS_FORMAT_UCHAR,
                         VIPS_CODING_NONE, like.interpretation(), like.xres(), like.yres());
  if (vips_image_write_prepare(made) != 0) throw vips::VError();
  SetOriginalSize(made_, OriginalSize(like));
}

void RowsLike::Put(int y, const unsigned char* row) {
  // The row is copied, never kept: the caller's buffer is free again.
  if (vips_image_write_line(made_.get_image(), y, const_cast<unsigned char*>(row)) != 0) {
    throw vips::VError();
  }
}

}  // namespace lumivane
