#include "tests/picture_fixtures.h"

#include <zlib.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/picture/heic_support.h"
#include "engine/picture/imaging_environment.h"
#include "engine/picture/vips_blob.h"
#include "tests/temp_dir.h"
#include "text/text_helpers.h"

namespace lumivane::testing {
namespace {

std::vector<double> Colour(const std::string& name) {
  static const std::map<std::string, std::vector<double>> kNamed = {
      {"white", {255, 255, 255}}, {"black", {0, 0, 0}},      {"red", {255, 0, 0}},
      {"green", {0, 128, 0}},     {"blue", {0, 0, 255}},     {"gray", {190, 190, 190}},
      {"olive", {128, 128, 0}},   {"orange", {255, 165, 0}}, {"teal", {0, 128, 128}},
      {"none", {0, 0, 0, 0}}};
  if (auto it = kNamed.find(name); it != kNamed.end()) return it->second;
  if (name.size() == 7 && name[0] == '#') {
    const unsigned long v = std::stoul(name.substr(1), nullptr, 16);
    return {double(v >> 16 & 0xFF), double(v >> 8 & 0xFF), double(v & 0xFF)};
  }
  throw std::invalid_argument("unknown colour " + name);
}

void Put16(std::string& s, unsigned v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); }
void Put32(std::string& s, unsigned v) { Put16(s, v & 0xFFFF), Put16(s, v >> 16); }

// A 24-bit bottom-up BMP.
std::string EncodeBmp(const vips::VImage& picture) {
  const vips::VImage rgb = picture.extract_band(0, vips::VImage::option()->set("n", 3));
  size_t size = 0;
  std::unique_ptr<void, decltype(&g_free)> raw(rgb.write_to_memory(&size), g_free);
  const auto* px = static_cast<const unsigned char*>(raw.get());
  const unsigned w = static_cast<unsigned>(rgb.width()), h = static_cast<unsigned>(rgb.height());
  const unsigned stride = (w * 3 + 3) / 4 * 4;
  std::string bmp = "BM";
  Put32(bmp, 54 + stride * h), Put32(bmp, 0), Put32(bmp, 54);
  Put32(bmp, 40), Put32(bmp, w), Put32(bmp, h), Put16(bmp, 1), Put16(bmp, 24);
  for (int i = 0; i < 6; ++i) Put32(bmp, 0);
  for (unsigned y = h; y-- > 0;) {
    std::string row(stride, '\0');
    for (unsigned x = 0; x < w; ++x) {
      for (unsigned c = 0; c < 3; ++c) row[3 * x + c] = char(px[(y * w + x) * 3 + 2 - c]);
    }
    bmp += row;
  }
  return bmp;
}

}  // namespace

vips::VImage MakePicture(size_t w, size_t h, const std::string& colour) {
  EnsureImagingEnvironment();
  const std::vector<double> c = Colour(colour);
  return (vips::VImage::black(int(w), int(h), vips::VImage::option()->set("bands", int(c.size()))) +
          c)
      .cast(VIPS_FORMAT_UCHAR)
      .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
      .copy_memory();
}

vips::VImage WithNoise(const vips::VImage& picture) {
  const vips::VImage noise =
      vips::VImage::gaussnoise(picture.width(), picture.height(),
                               vips::VImage::option()->set("sigma", 40.0)->set("mean", 0.0));
  return (picture + noise).cast(VIPS_FORMAT_UCHAR).copy_memory();
}

void SavePicture(const vips::VImage& picture, const std::string& path, const std::string& format,
                 int quality) {
  std::string bytes;
  auto take = [&](VipsBlob* made) { bytes = BlobBytes(BlobPtr(made)); };
  if (format == "JPEG") {
    take(picture.jpegsave_buffer(vips::VImage::option()->set("Q", quality > 0 ? quality : 92)));
  } else if (format == "BMP") {
    bytes = EncodeBmp(picture);
  } else if (format == "HEIC") {
    try {
      take(picture.heifsave_buffer(
          vips::VImage::option()->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC)));
    } catch (const vips::VError&) {
      // A library without the HEVC encoder (the Windows one, which cannot
      // decode it either): a phone's picture all the same.
      vips_error_clear();
      bytes = HevcSample();
    }
  } else {  // PNG, GIF, WEBP, TIFF: the library's own encoder
    void* data = nullptr;
    size_t length = 0;
    picture.write_to_buffer(("." + AsciiLower(format)).c_str(), &data, &length);
    bytes.assign(static_cast<const char*>(data), length);
    g_free(data);
  }
  std::ofstream(FsPath(path), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

void MakePictureFile(const std::string& path, size_t w, size_t h, const std::string& colour,
                     const std::string& format) {
  SavePicture(MakePicture(w, h, colour), path, format);
}

std::optional<vips::VImage> LoadForTest(const std::string& path) {
  EnsureImagingEnvironment();
  const std::string bytes = ReadWholeFile(path);
  if (bytes.empty()) return std::nullopt;
  try {
    return vips::VImage::new_from_buffer(bytes.data(), bytes.size(), "").copy_memory();
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

Rgb PixelAt(const vips::VImage& picture, int x, int y) {
  std::vector<double> p = picture.getpoint(x, y);
  if (p.size() < 3) p = {p[0], p[0], p[0]};
  return {p[0] / 255, p[1] / 255, p[2] / 255};
}

bool IsNear(const Rgb& c, double r, double g, double b, double tolerance) {
  return std::fabs(c.r - r) <= tolerance && std::fabs(c.g - g) <= tolerance &&
         std::fabs(c.b - b) <= tolerance;
}

int DarkPixels(const vips::VImage& picture, int x0, int y0, int x1, int y1) {
  const vips::VImage dark = (picture.crop(x0, y0, x1 - x0, y1 - y0) < 128).bandand();
  return int(std::lround(dark.avg() / 255 * (x1 - x0) * (y1 - y0)));
}

// A JPEG whose EXIF says "rotate 90 clockwise to view" and that carries a
// GPS position and a comment.
std::string JpegWithExifOrientation6(const std::string& scratch) {
  const std::string& path = scratch;
  SavePicture(MakePicture(40, 20, "red").insert(MakePicture(20, 20, "blue"), 20, 0), path, "JPEG",
              95);
  std::string jpeg = ReadWholeFile(path);
  // TIFF, little endian: IFD0 with Orientation=6 and a GPS IFD pointer.
  std::string tiff("II*\0\x08\0\0\0", 8);
  tiff += std::string("\x02\0", 2);
  tiff += std::string("\x12\x01\x03\0\x01\0\0\0\x06\0\0\0", 12);
  tiff += std::string("\x25\x88\x04\0\x01\0\0\0\x26\0\0\0", 12);
  tiff += std::string("\0\0\0\0", 4);
  tiff += std::string("\x01\0", 2);  // GPS IFD: latitude ref "N"
  tiff += std::string("\x01\0\x02\0\x02\0\0\0N\0\0\0", 12);
  tiff += std::string("\0\0\0\0", 4);
  std::string app1 = "Exif" + std::string("\0\0", 2) + tiff;
  uint16_t len = static_cast<uint16_t>(app1.size() + 2);
  std::string segment = std::string("\xFF\xE1", 2) + static_cast<char>(len >> 8) +
                        static_cast<char>(len & 0xFF) + app1;
  const std::string comment = "taken at home";
  const std::string com =
      std::string("\xFF\xFE\0", 3) + static_cast<char>(comment.size() + 2) + comment;
  return jpeg.substr(0, 2) + segment + com + jpeg.substr(2);
}

std::string PngChunk(const std::string& type, const std::string& data) {
  auto be32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
  };
  const std::string body = type + data;
  const uLong crc =
      crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  return be32(static_cast<std::uint32_t>(data.size())) + body +
         be32(static_cast<std::uint32_t>(crc));
}

std::string PngWithExifOrientation6(const vips::VImage& picture, const std::string& scratch) {
  SavePicture(picture, scratch, "PNG");
  const std::string saved = ReadWholeFile(scratch);
  // Without the EXIF chunk a newer writer puts in every PNG: one only.
  std::string png = saved.substr(0, 8);
  for (size_t at = 8; at + 12 <= saved.size();) {
    const size_t length = (static_cast<size_t>(static_cast<unsigned char>(saved[at])) << 24) |
                          (static_cast<size_t>(static_cast<unsigned char>(saved[at + 1])) << 16) |
                          (static_cast<size_t>(static_cast<unsigned char>(saved[at + 2])) << 8) |
                          static_cast<unsigned char>(saved[at + 3]);
    if (saved.compare(at + 4, 4, "eXIf") != 0) png += saved.substr(at, length + 12);
    at += length + 12;
  }
  // TIFF, big endian: IFD0 with Orientation=6.
  const std::string tiff("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 26);
  // After the signature and the header chunk.
  return png.substr(0, 33) + PngChunk("eXIf", tiff) + png.substr(33);
}

}  // namespace lumivane::testing
