// A helper of the end-to-end test:
//   picture_probe make DIR N        N photos (800 x 600 JPEG) in DIR
//   picture_probe check FILE        prints "WIDTH HEIGHT DARK" (dark pixels in
//                                   the bottom-right quarter)
//   picture_probe png IN OUT        converts a screenshot to PNG
#include <wand/MagickWand.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  MagickWandGenesis();
  const std::string verb = argv[1];
  MagickWand* w = NewMagickWand();
  if (verb == "make" && argc == 4) {
    for (int i = 0; i < std::atoi(argv[3]); ++i) {
      PixelWand* c = NewPixelWand();
      PixelSetColor(c, i % 2 ? "#e8e0d0" : "#d0e0e8");
      MagickNewImage(w, 800, 600, c);
      MagickSetImageFormat(w, "JPEG");
      const std::string path = std::string(argv[2]) + "/photo" + std::to_string(i) + ".jpg";
      if (!MagickWriteImage(w, path.c_str())) return 1;
      ClearMagickWand(w);
      DestroyPixelWand(c);
    }
    return 0;
  }
  if (verb == "check" && argc == 3) {
    if (!MagickReadImage(w, argv[2])) return 1;
    const size_t width = MagickGetImageWidth(w), height = MagickGetImageHeight(w);
    const size_t qw = width / 2, qh = height / 2;
    std::vector<unsigned char> rgb(qw * qh * 3);
    MagickExportImagePixels(w, static_cast<ssize_t>(width - qw), static_cast<ssize_t>(height - qh), qw,
                            qh, "RGB", CharPixel, rgb.data());
    int dark = 0;
    for (size_t i = 0; i < qw * qh; ++i) dark += rgb[3 * i] < 100 && rgb[3 * i + 1] < 100 && rgb[3 * i + 2] < 100;
    std::printf("%zu %zu %d\n", width, height, dark);
    return 0;
  }
  if (verb == "png" && argc == 4) {
    if (!MagickReadImage(w, argv[2])) return 1;
    return MagickWriteImage(w, argv[3]) ? 0 : 1;
  }
  return 2;
}
