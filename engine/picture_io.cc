#include "engine/picture_io.h"

#include <cstdint>

#include "engine/jpeg_header.h"
#include "engine/magick_handles.h"
#include "platform/file_system.h"

namespace lumivane {
namespace {

// Larger source files than this are refused before they are read.
constexpr std::uint64_t kMaxPictureFileBytes = 512ull << 20;

const char* CoderName(PictureFormat format) {
  switch (format) {
    case PictureFormat::kJpeg:
      return "JPEG";
    case PictureFormat::kPng:
      return "PNG";
    case PictureFormat::kBmp:
      return "BMP";
    case PictureFormat::kGif:
      return "GIF";
    case PictureFormat::kUnknown:
      break;
  }
  return nullptr;
}

bool IsDamage(ExceptionType type) {
  return type >= ErrorException || type == CorruptImageWarning;
}

// Decoders report some damage (a truncated JPEG) on the picture itself
// rather than on the handle, so both are asked.
bool LibraryReportedDamage(MagickWand* wand) {
  if (IsDamage(MagickGetExceptionType(wand))) return true;
  const Image* image = GetImageFromMagickWand(wand);
  return image != nullptr && IsDamage(image->exception.severity);
}

}  // namespace

PictureFormat SniffPictureFormat(std::string_view b) {
  auto starts = [&](std::string_view magic) { return b.substr(0, magic.size()) == magic; };
  if (starts("\xFF\xD8\xFF")) return PictureFormat::kJpeg;
  if (starts("\x89PNG")) return PictureFormat::kPng;
  if (starts("BM")) return PictureFormat::kBmp;
  if (starts("GIF8")) return PictureFormat::kGif;
  return PictureFormat::kUnknown;
}

bool ReadPicture(MagickWand* wand, const std::string& path, const ReadOptions& options) {
  auto bytes = platform::ReadRegularFile(path, kMaxPictureFileBytes);
  if (!bytes) return false;
  PictureFormat format = SniffPictureFormat(*bytes);
  if (format == PictureFormat::kUnknown || (format == PictureFormat::kGif && !options.allow_gif)) {
    return false;
  }
  MagickSetFormat(wand, CoderName(format));
  if (format == PictureFormat::kJpeg && options.shrink_target_width > 0) {
    if (auto header = ReadJpegHeader(*bytes)) {
      if (auto hint = JpegSizeHint(*header, options.shrink_target_width)) {
        MagickSetOption(wand, "jpeg:size", hint->c_str());
      }
    }
  }
  MagickClearException(wand);
  if (MagickReadImageBlob(wand, bytes->data(), bytes->size()) == MagickFalse) return false;
  if (LibraryReportedDamage(wand)) return false;
  size_t frames = MagickGetNumberImages(wand);
  if (frames == 0 || (frames > 1 && format != PictureFormat::kGif)) return false;
  MagickSetIteratorIndex(wand, 0);  // a GIF watermark uses its first frame
  return MagickGetImageWidth(wand) > 0 && MagickGetImageHeight(wand) > 0;
}

bool WritePicture(MagickWand* wand, const std::string& path) {
  // Both the picture's and the handle's format: the handle still names the
  // format it was read in, and that would win.
  if (MagickSetImageFormat(wand, "JPEG") == MagickFalse ||
      MagickSetFormat(wand, "JPEG") == MagickFalse) {
    return false;
  }
  size_t length = 0;
  MagickMemoryPtr<unsigned char> blob(MagickGetImageBlob(wand, &length));
  if (!blob || length == 0) return false;
  return platform::WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(blob.get()), length));
}

}  // namespace lumivane
