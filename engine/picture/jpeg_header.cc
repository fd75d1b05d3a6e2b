#include "engine/picture/jpeg_header.h"

#include <algorithm>
#include <cstdint>

namespace lumivane {
namespace {

std::uint16_t Get16(std::string_view b, size_t at, bool little) {
  auto u = [&](size_t i) { return static_cast<std::uint16_t>(static_cast<unsigned char>(b[i])); };
  return little ? static_cast<std::uint16_t>(u(at) | (u(at + 1) << 8))
                : static_cast<std::uint16_t>((u(at) << 8) | u(at + 1));
}

std::uint32_t Get32(std::string_view b, size_t at, bool little) {
  std::uint32_t hi = Get16(b, little ? at + 2 : at, little);
  std::uint32_t lo = Get16(b, little ? at : at + 2, little);
  return (hi << 16) | lo;
}

// The Orientation and resolution tags of IFD0 in an Exif APP1 payload
// (after "Exif\0\0"), into `header`.
void ReadExif(std::string_view tiff, JpegHeader& header) {
  if (tiff.size() < 8) return;
  bool little;
  if (tiff.substr(0, 2) == "II") {
    little = true;
  } else if (tiff.substr(0, 2) == "MM") {
    little = false;
  } else {
    return;
  }
  const std::uint32_t ifd = Get32(tiff, 4, little);
  if (ifd > tiff.size() || tiff.size() - ifd < 2) return;
  const std::uint16_t entries = Get16(tiff, ifd, little);
  double x = 0, y = 0;
  int unit = 2;  // inches unless told
  auto rational = [&](size_t at) {
    const std::uint32_t offset = Get32(tiff, at + 8, little);
    if (offset > tiff.size() || tiff.size() - offset < 8) return 0.0;
    const std::uint32_t below = Get32(tiff, offset + 4, little);
    return below == 0 ? 0.0 : static_cast<double>(Get32(tiff, offset, little)) / below;
  };
  for (std::uint32_t i = 0; i < entries; ++i) {
    const size_t at = ifd + 2 + 12 * static_cast<size_t>(i);
    if (at + 12 > tiff.size()) break;
    const std::uint16_t tag = Get16(tiff, at, little);
    if (tag == 0x0112) {
      const int value = Get16(tiff, at + 8, little);
      header.orientation = value >= 1 && value <= 8 ? value : 1;
    } else if (tag == 0x011A) {
      x = rational(at);
    } else if (tag == 0x011B) {
      y = rational(at);
    } else if (tag == 0x0128) {
      unit = Get16(tiff, at + 8, little);
    }
  }
  const double per_mm = unit == 2 ? 1 / 25.4 : unit == 3 ? 0.1 : unit == 1 ? 1 : 0;
  if (x > 0 && y > 0 && per_mm > 0) header.xres = x * per_mm, header.yres = y * per_mm;
}

// Each component's samples by its sampling factors (full size when the
// frame header is short).
std::uint64_t Samples(const JpegHeader& h, std::string_view components) {
  const std::uint64_t full =
      static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height);
  if (h.components <= 0 || components.size() < 3 * static_cast<size_t>(h.components)) {
    return full * static_cast<std::uint64_t>(std::max(h.components, 1));
  }
  int h_max = 1, v_max = 1;
  for (int i = 0; i < h.components; ++i) {
    const unsigned char f = static_cast<unsigned char>(components[3 * i + 1]);
    h_max = std::max(h_max, f >> 4), v_max = std::max(v_max, f & 0xF);
  }
  std::uint64_t samples = 0;
  for (int i = 0; i < h.components; ++i) {
    const unsigned char f = static_cast<unsigned char>(components[3 * i + 1]);
    const std::uint64_t w =
        (static_cast<std::uint64_t>(h.width) * std::max(f >> 4, 1) + h_max - 1) / h_max;
    const std::uint64_t r =
        (static_cast<std::uint64_t>(h.height) * std::max(f & 0xF, 1) + v_max - 1) / v_max;
    samples += w * r;
  }
  return samples;
}

bool IsStartOfFrame(unsigned char m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// The frame header's facts: the picture's size, its components and how
// they are sampled, and how it is coded.
void ReadFrame(unsigned char marker, std::string_view payload, JpegHeader& header) {
  header.precision = static_cast<unsigned char>(payload[0]);
  // 3, 7, 11, 15: lossless; 5 to 7, 13 to 15: hierarchical.
  const int process = marker & 0x0F;
  header.lossless = process == 3 || (process >= 5 && process <= 7) || process >= 13;
  header.height = Get16(payload, 1, false);
  header.width = Get16(payload, 3, false);
  header.components = static_cast<unsigned char>(payload[5]);
  header.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
  header.samples = Samples(header, payload.substr(6));
  const std::string_view components = payload.substr(6);
  if (header.components > 1 && components.size() >= 3u * header.components) {
    for (int i = 0; i < header.components; ++i) {
      const unsigned char f = static_cast<unsigned char>(components[3 * i + 1]);
      header.unit_width = std::max(header.unit_width, 8 * (f >> 4));
      header.unit_height = std::max(header.unit_height, 8 * (f & 0xF));
    }
  }
}

}  // namespace

std::optional<JpegHeader> ReadJpegHeader(std::string_view b) {
  if (b.size() < 4 || static_cast<unsigned char>(b[0]) != 0xFF ||
      static_cast<unsigned char>(b[1]) != 0xD8) {
    return std::nullopt;
  }
  JpegHeader header;
  bool exif_seen = false;  // the first EXIF block is the picture's own
  size_t at = 2;
  while (at + 4 <= b.size()) {
    if (static_cast<unsigned char>(b[at]) != 0xFF) {
      ++at;  // stray bytes before a marker: decoders skip them with a warning
      continue;
    }
    const unsigned char marker = static_cast<unsigned char>(b[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) break;  // no frame header before the data
    const size_t length = Get16(b, at + 2, false);
    if (length < 2 || at + 2 + length > b.size()) return std::nullopt;
    const std::string_view payload = b.substr(at + 4, length - 2);
    if (marker == 0xE1 && payload.substr(0, 6) == std::string_view("Exif\0\0", 6)) {
      if (!exif_seen) ReadExif(payload.substr(6), header);
      exif_seen = true;
    } else if (marker == 0xE0 && payload.size() >= 12 &&
               payload.substr(0, 5) == std::string_view("JFIF\0", 5) && header.xres == 0) {
      // Dots an inch or a centimetre; the Exif resolution, when there is
      // one, is the camera's and wins.
      const int unit = static_cast<unsigned char>(payload[7]);
      const double x = Get16(payload, 8, false), y = Get16(payload, 10, false);
      const double per_mm = unit == 1 ? 1 / 25.4 : unit == 2 ? 0.1 : 0;
      if (x > 0 && y > 0 && per_mm > 0) header.xres = x * per_mm, header.yres = y * per_mm;
    } else if (IsStartOfFrame(marker) && payload.size() >= 6) {
      ReadFrame(marker, payload, header);
      return header;
    }
    at += 2 + length;
  }
  return std::nullopt;
}

std::string WithoutStrayBytes(std::string_view b) {
  // Walked once to find stray bytes, and again to copy the rest only where
  // there are some: most files have none, and every picture is read so.
  auto walk = [b](std::string* clean) {
    bool stray = false;
    size_t at = 2;
    auto keep = [&](size_t n) {
      if (clean) clean->append(b.substr(at, n));
      at += n;
    };
    while (at + 4 <= b.size()) {
      if (static_cast<unsigned char>(b[at]) != 0xFF) {
        stray = true;
        ++at;
        continue;
      }
      const unsigned char marker = static_cast<unsigned char>(b[at + 1]);
      if (marker == 0xDA || marker == 0xD9) break;  // the scan, and all after it, as it is
      if (marker == 0xFF) {
        keep(1);
      } else if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
        keep(2);
      } else {
        const size_t length = Get16(b, at + 2, false);
        if (length < 2 || at + 2 + length > b.size()) return false;  // left to the decoder
        keep(2 + length);
      }
    }
    if (clean) clean->append(b.substr(std::min(at, b.size())));
    return stray;
  };
  if (b.size() < 4 || !walk(nullptr)) return {};
  std::string clean(b.substr(0, 2));
  walk(&clean);
  return clean;
}

int JpegShrinkFactor(const JpegHeader& header, PictureSize target, int room) {
  if (target.width <= 0 || target.height <= 0) return 1;
  const long long w = header.SideWays() ? header.height : header.width;
  const long long h = header.SideWays() ? header.width : header.height;
  const bool by_width = static_cast<long long>(target.width) * h >= target.height * w;
  const long long side = by_width ? w : h, wanted = by_width ? target.width : target.height;
  // Both sides of the reduced picture must keep a pixel: the library
  // aborts the process on a picture thinner than its factor (5000 x 1).
  const long long thinner_side = std::min(header.width, header.height);
  for (int factor : {8, 4, 2}) {
    // The decoder rounds its reduced size up.
    if ((side + factor - 1) / factor >= room * wanted && thinner_side >= factor) return factor;
  }
  return 1;
}

std::string WithoutPrivateSegments(std::string_view b) {
  if (b.size() < 4) return std::string(b);
  std::string out(b.substr(0, 2));
  // Room for a JFIF header too: it is then put in without a second copy.
  out.reserve(b.size() + 18);
  size_t at = 2;
  while (at + 4 <= b.size() && static_cast<unsigned char>(b[at]) == 0xFF) {
    const unsigned char marker = static_cast<unsigned char>(b[at + 1]);
    if (marker == 0xDA || marker == 0xD9) break;  // the picture data: all of it stays
    const size_t length = Get16(b, at + 2, false);
    if (length < 2 || at + 2 + length > b.size()) break;
    // APP1 holds EXIF and XMP, APP13 IPTC, COM comments.
    if (marker != 0xE1 && marker != 0xED && marker != 0xFE) out.append(b.substr(at, 2 + length));
    at += 2 + length;
  }
  out.append(b.substr(at));
  return out;
}

std::string WithJfifHeader(std::string jpeg, int dpi) {
  if (jpeg.size() < 4 || jpeg.compare(2, 2, "\xFF\xE0") == 0) return jpeg;
  const auto hi = static_cast<char>((dpi >> 8) & 0xFF), lo = static_cast<char>(dpi & 0xFF);
  // APP0, length 16, "JFIF", version 1.01, dots per inch, x and y, no thumbnail.
  const std::string app0 = std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01", 12) + hi + lo + hi +
                           lo + std::string("\x00\x00", 2);
  return jpeg.insert(2, app0);
}

int ExifOrientation(std::string_view tiff) {
  JpegHeader header;
  ReadExif(tiff, header);
  return header.orientation;
}

}  // namespace lumivane
