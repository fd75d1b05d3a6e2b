#include "engine/picture/output_shape.h"

#include <algorithm>
#include <cstdint>

#include "engine/picture/bmp_decoder.h"
#include "engine/picture/jpeg_header.h"
#include "engine/picture/picture_steps.h"
#include "platform/file_system.h"

namespace lumivane {
namespace {

// Headers lie at the start: a JPEG's size follows its EXIF and profile.
constexpr size_t kHeaderBytes = 1 << 20;

// A PNG's upright size: its header's, turned as an EXIF chunk before its
// pixels says (the reader turns it so); none until the pixels' first
// chunk is among `bytes`.
std::optional<PictureSize> PngSize(std::string_view bytes) {
  if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR") return std::nullopt;
  auto be32 = [&](size_t at) {
    std::uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  const std::uint32_t w = be32(16), h = be32(20);
  if (w == 0 || h == 0 || w > 0x7fffffff || h > 0x7fffffff) return std::nullopt;
  int orientation = 1;
  for (size_t at = 8;;) {
    if (bytes.size() - at < 8) return std::nullopt;
    const std::uint64_t length = be32(at);
    const std::string_view type = bytes.substr(at + 4, 4);
    if (type == "IDAT") break;
    if (bytes.size() - at - 8 < length) return std::nullopt;
    if (type == "eXIf") orientation = ExifOrientation(bytes.substr(at + 8, length));
    at += 12 + length;
    if (at > bytes.size()) return std::nullopt;
  }
  const bool side = orientation >= 5;
  return side ? PictureSize{static_cast<int>(h), static_cast<int>(w)}
              : PictureSize{static_cast<int>(w), static_cast<int>(h)};
}

// The upright size, once `bytes` hold enough of the header to tell it.
std::optional<PictureSize> SizeFromHeader(std::string_view bytes) {
  switch (SniffPictureFormat(bytes)) {
    case PictureFormat::kJpeg:
      if (const auto h = ReadJpegHeader(bytes); h && h->width > 0 && h->height > 0) {
        return h->SideWays() ? PictureSize{h->height, h->width} : PictureSize{h->width, h->height};
      }
      return std::nullopt;
    case PictureFormat::kPng:
      return PngSize(bytes);
    case PictureFormat::kBmp:
      if (const auto h = ReadBmpHeader(bytes); h && h->width > 0 && h->height > 0) {
        return PictureSize{h->width, h->height};
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<PictureSize> HeaderSize(const std::string& path) {
  // Read piece by piece, only as far as the header goes.
  std::string bytes;
  std::optional<PictureSize> size;
  platform::ReadRegularFileInPieces(path, [&](std::string_view piece) {
    bytes.append(piece);
    size = SizeFromHeader(bytes);
    return !size && bytes.size() < kHeaderBytes;
  });
  return size;
}

std::optional<OutputShape> PlannedShape(PictureSize size, const ProcessingSettings& settings,
                                        const PictureSwitches& switches,
                                        const ExtraOperations& asked) {
  ExtraOperations extras = asked;
  StepContext context{settings, switches, extras};
  context.original = size;
  std::optional<PictureSize> made = ReadSize(size, context);
  for (const PictureStep& step : PictureSteps()) {
    if (made && step.on(context)) made = step.size(*made, context);
  }
  if (!made) return std::nullopt;
  return PartsShape(*made, extras);
}

std::optional<OutputShape> ForetoldShape(const std::string& path,
                                         const ProcessingSettings& settings,
                                         const PictureSwitches& switches,
                                         const ExtraOperations& extras) {
  const auto original = HeaderSize(path);
  if (!original) return std::nullopt;
  return PlannedShape(*original, settings, switches, extras);
}

}  // namespace lumivane
