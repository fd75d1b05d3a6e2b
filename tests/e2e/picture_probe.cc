// A helper of the end-to-end test:
//   picture_probe make DIR N        N photos (800 x 600 JPEG) in DIR
//   picture_probe check FILE        prints "WIDTH HEIGHT DARK" (dark pixels in
//                                   the bottom-right quarter)
//   picture_probe png IN OUT        converts a 32-bit screenshot (xwd) to PNG
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <vips/vips8>

namespace {

std::uint32_t Be32(const std::string& b, size_t at) {
  return std::uint32_t(static_cast<unsigned char>(b[at])) << 24 |
         std::uint32_t(static_cast<unsigned char>(b[at + 1])) << 16 |
         std::uint32_t(static_cast<unsigned char>(b[at + 2])) << 8 |
         std::uint32_t(static_cast<unsigned char>(b[at + 3]));
}

// A ZPixmap dump of a 24-bit screen, as `xwd -root` writes it: three or
// four bytes a pixel, rows padded to the header's row length.
bool XwdToPng(const std::string& in, const std::string& out) {
  std::ifstream file(in, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (b.size() < 100) return false;
  const std::uint32_t header = Be32(b, 0), width = Be32(b, 16), height = Be32(b, 20);
  const std::uint32_t byte_order = Be32(b, 28), bpp = Be32(b, 44), stride = Be32(b, 48);
  const std::uint32_t colours = Be32(b, 76);
  const size_t data = header + 12 * size_t(colours);
  const size_t step = bpp / 8;
  if ((bpp != 24 && bpp != 32) || step < 3 || b.size() < data + size_t(stride) * height) {
    return false;
  }
  std::vector<unsigned char> rgb(size_t(width) * height * 3);
  for (size_t y = 0; y < height; ++y) {
    for (size_t x = 0; x < width; ++x) {
      const size_t at = data + y * stride + step * x;
      const auto byte = [&](int i) { return static_cast<unsigned char>(b[at + i]); };
      // Blue, green, red from the low byte up.
      const bool lsb = byte_order == 0;
      const int first = lsb ? 2 : int(step) - 3;
      for (int c = 0; c < 3; ++c) {
        rgb[(y * width + x) * 3 + c] = lsb ? byte(first - c) : byte(first + c);
      }
    }
  }
  vips::VImage::new_from_memory(rgb.data(), rgb.size(), int(width), int(height), 3,
                                VIPS_FORMAT_UCHAR)
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
    if (verb == "png" && argc == 4) return XwdToPng(argv[2], argv[3]) ? 0 : 1;
  } catch (const vips::VError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 2;
}
