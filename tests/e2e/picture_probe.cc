// A helper of the end-to-end test:
//   picture_probe make DIR N        N photos (800 x 600 JPEG) in DIR
//   picture_probe check FILE        prints "WIDTH HEIGHT DARK" (dark pixels in
//                                   the bottom-right quarter)
//   picture_probe screen OUT        the X screen ($DISPLAY) as PNG
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <vips/vips8>

namespace {

// What the screen holds, read from the root window. Not `xwd -root`: it
// draws Qt's own dialogs (file chooser, message box) black or see-through,
// though the screen and a compositing manager show them drawn.
bool ScreenToPng(const std::string& out) {
  const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
  if (!display) return false;
  const Window root = DefaultRootWindow(display.get());
  XWindowAttributes at;
  XGetWindowAttributes(display.get(), root, &at);
  const auto destroy = [](XImage* i) { XDestroyImage(i); };
  const std::unique_ptr<XImage, decltype(destroy)> image(
      XGetImage(display.get(), root, 0, 0, at.width, at.height, AllPlanes, ZPixmap), destroy);
  if (!image) return false;
  std::vector<unsigned char> rgb(size_t(at.width) * at.height * 3);
  for (int y = 0; y < at.height; ++y) {
    for (int x = 0; x < at.width; ++x) {
      const unsigned long pixel = XGetPixel(image.get(), x, y);
      unsigned char* to = &rgb[(size_t(y) * at.width + x) * 3];
      to[0] = pixel >> 16 & 0xff, to[1] = pixel >> 8 & 0xff, to[2] = pixel & 0xff;
    }
  }
  vips::VImage::new_from_memory(rgb.data(), rgb.size(), at.width, at.height, 3, VIPS_FORMAT_UCHAR)
      .pngsave(out.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // No dynamic modules, as in the program (see imaging_environment.cc).
  setenv("VIPSHOME", "/dev/null/lumivane", 1);
  if (argc < 3 || VIPS_INIT(argv[0]) != 0) return 2;
  const std::string verb = argv[1];
  try {
    if (verb == "make" && argc == 4) {
      for (int i = 0; i < std::atoi(argv[3]); ++i) {
        const std::vector<double> colour =
            i % 2 ? std::vector<double>{0xe8, 0xe0, 0xd0} : std::vector<double>{0xd0, 0xe0, 0xe8};
        const std::string path = std::string(argv[2]) + "/photo" + std::to_string(i) + ".jpg";
        (vips::VImage::black(800, 600, vips::VImage::option()->set("bands", 3)) + colour)
            .cast(VIPS_FORMAT_UCHAR)
            .jpegsave(path.c_str());
      }
      return 0;
    }
    if (verb == "check" && argc == 3) {
      const vips::VImage w = vips::VImage::new_from_file(argv[2]);
      const int qw = w.width() / 2, qh = w.height() / 2;
      const vips::VImage dark = (w.crop(w.width() - qw, w.height() - qh, qw, qh) < 100).bandand();
      std::printf("%d %d %ld\n", w.width(), w.height(), std::lround(dark.avg() / 255 * qw * qh));
      return 0;
    }
    if (verb == "screen" && argc == 3) return ScreenToPng(argv[2]) ? 0 : 1;
  } catch (const vips::VError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 2;
}
