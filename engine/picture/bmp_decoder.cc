#include "engine/picture/bmp_decoder.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace lumivane {
namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

std::uint32_t Get(std::string_view b, size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

struct Layout {
  BmpHeader header;
  bool top_down = false;
  int bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t data_offset = 0;
  size_t info_size = 0;
  std::uint32_t colours = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
};

std::optional<Layout> ReadLayout(std::string_view b) {
  if (b.size() < 26 || b.substr(0, 2) != "BM") return std::nullopt;
  Layout l;
  l.data_offset = Get(b, 10, 4);
  l.info_size = Get(b, 14, 4);
  if (l.info_size == 12) {  // the oldest header: 16-bit sizes
    l.header.width = static_cast<int>(Get(b, 18, 2));
    l.header.height = static_cast<int>(Get(b, 20, 2));
    l.bits = static_cast<int>(Get(b, 24, 2));
  } else if (l.info_size >= 40 && b.size() >= 14 + l.info_size) {
    l.header.width = static_cast<std::int32_t>(Get(b, 18, 4));
    const std::int32_t height = static_cast<std::int32_t>(Get(b, 22, 4));
    if (height == INT32_MIN) return std::nullopt;
    l.top_down = height < 0;
    l.header.height = std::abs(height);
    l.bits = static_cast<int>(Get(b, 28, 2));
    l.compression = Get(b, 30, 4);
    l.colours = Get(b, 46, 4);
    if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
      // The masks follow a 40-byte header, or are part of a longer one.
      const size_t at = 54;
      const int count = l.compression == kAlphaBitFields || l.info_size >= 56 ? 4 : 3;
      if (b.size() < at + 4 * count) return std::nullopt;
      for (int i = 0; i < count; ++i) l.masks[i] = Get(b, at + 4 * i, 4);
    }
  } else {
    return std::nullopt;
  }
  const bool palette = l.bits == 1 || l.bits == 4 || l.bits == 8;
  const bool direct = l.bits == 16 || l.bits == 24 || l.bits == 32;
  if (l.header.width <= 0 || l.header.height <= 0 || (!palette && !direct)) return std::nullopt;
  const bool masked = (l.compression == kBitFields || l.compression == kAlphaBitFields) &&
                      (l.bits == 16 || l.bits == 32);
  // Run-length coded pictures are always stored bottom-up.
  const bool rle =
      ((l.compression == kRle8 && l.bits == 8) || (l.compression == kRle4 && l.bits == 4)) &&
      !l.top_down;
  if (l.compression != kRgb && !masked && !rle) return std::nullopt;
  if (l.compression == kRgb && l.bits == 16) l.masks = {0x7C00, 0x03E0, 0x001F, 0};
  if (l.compression == kRgb && l.bits == 32) l.masks = {0xFF0000, 0xFF00, 0xFF, 0};
  l.header.has_alpha = l.masks[3] != 0;
  return l;
}

// A masked channel scaled to 0..255.
unsigned char Channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const std::uint32_t max = mask >> shift;
  return static_cast<unsigned char>(((pixel & mask) >> shift) * 255 / max);
}

using Palette = std::array<std::array<unsigned char, 3>, 256>;

// The colours of a picture of at most 8 bits (none for a header that
// overlaps them); entries the file lacks stay black.
std::optional<Palette> ReadPalette(std::string_view b, const Layout& l) {
  Palette palette{};
  if (l.bits > 8) return palette;
  const size_t entry = l.info_size == 12 ? 3 : 4;
  size_t count = l.colours == 0 || l.colours > 256 ? (size_t{1} << l.bits) : l.colours;
  const size_t at = 14 + l.info_size;
  if (at > l.data_offset) return std::nullopt;
  count = std::min(count, (l.data_offset - at) / entry);
  for (size_t i = 0; i < count; ++i) {
    const size_t e = at + i * entry;
    palette[i] = {static_cast<unsigned char>(b[e + 2]), static_cast<unsigned char>(b[e + 1]),
                  static_cast<unsigned char>(b[e])};
  }
  return palette;
}

// One stored row as RGB or RGBA bytes at `dst`.
void DecodeRow(std::string_view line, const Layout& l, const Palette& palette, unsigned char* dst) {
  const size_t bands = l.header.has_alpha ? 4 : 3;
  for (size_t x = 0; x < static_cast<size_t>(l.header.width); ++x, dst += bands) {
    if (l.bits <= 8) {
      const size_t bit = x * static_cast<size_t>(l.bits);
      const unsigned byte = static_cast<unsigned char>(line[bit / 8]);
      const unsigned index = (byte >> (8 - l.bits - bit % 8)) & ((1u << l.bits) - 1);
      std::copy(palette[index].begin(), palette[index].end(), dst);
    } else if (l.bits == 24) {
      dst[0] = static_cast<unsigned char>(line[3 * x + 2]);
      dst[1] = static_cast<unsigned char>(line[3 * x + 1]);
      dst[2] = static_cast<unsigned char>(line[3 * x]);
    } else {
      const int size = l.bits / 8;
      const std::uint32_t pixel = Get(line, x * static_cast<size_t>(size), size);
      for (size_t c = 0; c < bands; ++c) dst[c] = Channel(pixel, l.masks[c]);
    }
  }
}

// A run-length coded picture as the uncompressed 8-bit rows it stands for
// (bottom-up, each padded to four bytes); pixels it skips keep colour 0.
// None when the runs leave the picture or the data end too early.
std::optional<std::string> ExpandRuns(std::string_view data, const Layout& l) {
  const size_t w = static_cast<size_t>(l.header.width), h = static_cast<size_t>(l.header.height);
  const size_t stride = (w + 3) / 4 * 4;
  std::string rows(stride * h, '\0');
  const bool four = l.compression == kRle4;
  // The index of the n-th pixel of a run: two per byte in 4-bit pictures.
  auto index = [&](unsigned byte, size_t n) -> char {
    return static_cast<char>(four ? (n % 2 == 0 ? byte >> 4 : byte & 0xF) : byte);
  };
  size_t x = 0, y = 0, at = 0;
  auto put = [&](char value) {
    if (x >= w || y >= h) return false;
    rows[y * stride + x++] = value;
    return true;
  };
  while (at + 2 <= data.size()) {
    const unsigned count = static_cast<unsigned char>(data[at]);
    const unsigned value = static_cast<unsigned char>(data[at + 1]);
    at += 2;
    if (count > 0) {
      for (size_t n = 0; n < count; ++n) {
        if (!put(index(value, n))) return std::nullopt;
      }
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      return rows;
    } else if (value == 2) {  // move right and up
      if (at + 2 > data.size()) return std::nullopt;
      x += static_cast<unsigned char>(data[at]);
      y += static_cast<unsigned char>(data[at + 1]);
      at += 2;
      if (x > w || y > h) return std::nullopt;
    } else {  // `value` pixels as they stand, padded to two bytes
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (at + bytes > data.size()) return std::nullopt;
      for (size_t n = 0; n < value; ++n) {
        const unsigned byte = static_cast<unsigned char>(data[at + (four ? n / 2 : n)]);
        if (!put(index(byte, n))) return std::nullopt;
      }
      at += (bytes + 1) / 2 * 2;
    }
  }
  return std::nullopt;  // cut off before its end
}

}  // namespace

std::optional<BmpHeader> ReadBmpHeader(std::string_view bytes) {
  auto layout = ReadLayout(bytes);
  if (!layout) return std::nullopt;
  return layout->header;
}

std::optional<BmpPicture> DecodeBmp(std::string_view b) {
  auto layout = ReadLayout(b);
  if (!layout) return std::nullopt;
  Layout& l = *layout;
  std::string expanded;
  if (l.compression == kRle8 || l.compression == kRle4) {
    if (l.data_offset > b.size()) return std::nullopt;
    auto rows = ExpandRuns(b.substr(l.data_offset), l);
    if (!rows) return std::nullopt;
    // From here on it is an uncompressed 8-bit picture with the same palette.
    expanded = std::string(b.substr(0, l.data_offset)) + *rows;
    b = expanded;
    l.bits = 8;
  }
  const size_t w = static_cast<size_t>(l.header.width), h = static_cast<size_t>(l.header.height);
  const size_t stride = (w * static_cast<size_t>(l.bits) + 31) / 32 * 4;
  if (l.data_offset > b.size() || (b.size() - l.data_offset) / stride < h) return std::nullopt;
  const auto palette = ReadPalette(b, l);
  if (!palette) return std::nullopt;
  const size_t bands = l.header.has_alpha ? 4 : 3;
  BmpPicture out{l.header, std::string(w * h * bands, '\0')};
  for (size_t row = 0; row < h; ++row) {
    const size_t src_row = l.top_down ? row : h - 1 - row;
    DecodeRow(b.substr(l.data_offset + src_row * stride, stride), l, *palette,
              reinterpret_cast<unsigned char*>(out.pixels.data()) + row * w * bands);
  }
  if (l.header.has_alpha) {
    // Many writers leave the fourth byte zero: an alpha of nothing at all
    // means "no alpha", not "all transparent".
    bool any = false;
    for (size_t i = 3; i < out.pixels.size() && !any; i += 4) any = out.pixels[i] != '\0';
    if (!any) {
      for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = '\xFF';
    }
  }
  return out;
}

}  // namespace lumivane
