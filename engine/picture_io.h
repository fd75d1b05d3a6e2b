// Reading a picture file into a handle and writing a handle as a JPEG
// file. Paths never reach the imaging library: the program reads and
// writes the bytes itself, so names with "%", "[ ]" or ":" mean nothing
// special, and a failed write never damages an existing file.
#ifndef LUMIVANE_ENGINE_PICTURE_IO_H_
#define LUMIVANE_ENGINE_PICTURE_IO_H_

#include <wand/MagickWand.h>

#include <string>
#include <string_view>

namespace lumivane {

enum class PictureFormat { kUnknown, kJpeg, kPng, kBmp, kGif };

// The format the first bytes announce.
PictureFormat SniffPictureFormat(std::string_view bytes);

struct ReadOptions {
  bool allow_gif = false;  // only the watermark picture may be a GIF
  // When above 0 and the file is a JPEG more than twice as wide (upright),
  // the decoder may decode it at a reduced scale, at least twice this wide.
  int shrink_target_width = 0;
};

// Reads one picture. False for anything that is not a complete, single
// picture of an accepted format: an unknown format, a library error, a
// corrupt-image warning, an empty picture, several frames.
bool ReadPicture(MagickWand* wand, const std::string& path, const ReadOptions& options = {});

// Encodes the picture as JPEG and replaces `path` with it atomically.
bool WritePicture(MagickWand* wand, const std::string& path);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_IO_H_
