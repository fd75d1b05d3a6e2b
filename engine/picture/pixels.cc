#include "engine/picture/pixels.h"

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

vips::VImage PictureLike(const vips::VImage& like, const std::vector<unsigned char>& data) {
  vips::VImage made(vips_image_new_from_memory_copy(
      data.data(), data.size(), like.width(), like.height(), like.bands(), VIPS_FORMAT_UCHAR));
  made = made.copy(vips::VImage::option()
                       ->set("interpretation", like.interpretation())
                       ->set("xres", like.xres())
                       ->set("yres", like.yres()));
  SetOriginalSize(made, OriginalSize(like));
  return made;
}

}  // namespace lumivane
