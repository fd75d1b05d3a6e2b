// Reading a picture file into memory and writing a picture as a JPEG
// file. Paths never reach the imaging library: the program reads and
// writes the bytes itself, so names with "%", "[ ]" or ":" mean nothing
// special, and a failed write never damages an existing file.
#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_IO_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_IO_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vips/vips8>

#include "engine/picture/memory_budget.h"
#include "engine/picture/picture_size.h"

namespace lumivane {

enum class PictureFormat { kUnknown, kJpeg, kPng, kBmp, kGif, kWebp, kTiff, kHeif };

// The format the first bytes announce.
PictureFormat SniffPictureFormat(std::string_view bytes);

// Why a picture could not be read, to be told with it.
enum class ReadProblem {
  kNone,
  kCannotOpen,   // missing, not a file, or not readable
  kEmpty,        // no bytes at all
  kNotAPicture,  // bytes of no format we read
  kDamaged,      // cut off or broken inside
  kTooLarge,     // more pixels (or file bytes) than a picture may have
  kNoMemory,     // more memory than all pictures together may take
  kNoDecoder,    // a format whose decoder this system lacks (HEIC on Windows)
  kUnsupported,  // a sound picture of a kind the decoder does not read (`what`)
};
struct ReadFailure {
  ReadProblem problem = ReadProblem::kNone;
  int width = 0, height = 0;  // kTooLarge: the picture's size, when known
  std::uint64_t bytes = 0;    // kTooLarge: the file's size; kNoMemory: what it needed
  // kUnsupported: what kind of picture it is; kDamaged: what is wrong, if
  // told; kTooLarge, kNoMemory: the step after the reading that is too
  // large or needs the memory (an enlargement, the progressive encoder).
  std::string what;
};

struct ReadOptions {
  bool keep_alpha = false;  // else what is transparent is laid on white
  // When given, the size it is made from its upright size (the size
  // rule's; it may enlarge); else it is kept at its own size.
  std::function<PictureSize(PictureSize upright)> target;
  // A large JPEG may be decoded at 1/2, 1/4 or 1/8 of its size when it is
  // to be shrunk anyway (off: decoded whole, for reference measurements).
  bool decoder_may_reduce = true;
  // The picture is kept as the decoder reduced it (at least the target),
  // not resized to the target: a picture to be cut and sized after.
  bool reduce_only = false;
  // When given, the picture's share of the memory budget is held here for
  // the work that follows the reading (marks, encoding), not released as
  // soon as the picture is decoded.
  std::optional<MemoryBudget::Ticket>* hold = nullptr;
  // The budget the reading takes its share from: the pictures' own unless
  // given (a page's, for the pictures it is made of).
  MemoryBudget* budget = nullptr;
  MemoryBudget& Budget() const { return budget ? *budget : MemoryBudget::ForPictures(); }
  // Off for a picture that is never encoded itself (the watermark picture):
  // its share then leaves out what encoding needs.
  bool encoded = true;
  // Whole copies of the picture, at the size it is read at, that the steps
  // after the reading hold beside it (a step that makes its result in
  // memory): counted in its share, as the encoding is, which comes after.
  int step_copies = 0;
  // The picture is to be written as a progressive JPEG.
  bool progressive_output = false;
  // Read once for several outputs: kept at the decoder's reduction for the
  // target, as stored (not turned upright, not resized), for ShapeDecoded
  // to make each output's picture from. Its share holds it whole.
  bool keep_decoded = false;
  // When given, why the picture could not be read.
  ReadFailure* failure = nullptr;

  // The size a picture of this upright size is read at.
  PictureSize TargetFor(PictureSize upright) const { return target ? target(upright) : upright; }
};

// A target that shrinks a picture to `width` (its height in proportion),
// never enlarging it; none for a width of 0.
std::function<PictureSize(PictureSize)> NoWiderThan(int width);

// Reads and decodes one picture, in memory: upright as the camera meant
// it, 8-bit sRGB (with its alpha band when kept), shrunk as asked. None for
// anything that is not a complete picture of a format it reads (JPEG, PNG,
// BMP, GIF, WebP, TIFF, HEIF where the library has it), or
// whose decoding would need more memory than one picture may have. Waits
// while the pictures in flight leave too little room.
std::optional<vips::VImage> ReadPicture(const std::string& path, const ReadOptions& options = {});

// A picture read with `keep_decoded`, made as ReadPicture would have made
// it with `options` (flattened, sized to its target, upright), in memory.
vips::VImage ShapeDecoded(const vips::VImage& decoded, const ReadOptions& options);

// How many pictures this process has decoded (for the tests of readings
// shared between outputs).
std::uint64_t PicturesDecoded();

// The size of the picture ReadPicture decoded, upright, before shrinking.
PictureSize OriginalSize(const vips::VImage& picture);
// Records it on a picture made from another.
void SetOriginalSize(vips::VImage& picture, PictureSize size);
}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_IO_H_
