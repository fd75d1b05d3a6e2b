// The machinery of reading a picture, shared by the readers of each kind
// of file (JPEG, the library's own loaders, BMP): what a reading holds,
// its share of the memory budget, and the steps every decoded picture
// takes. Inside the engine's picture library only.
#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_READING_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_READING_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vips/vips8>

#include "engine/picture/memory_budget.h"
#include "engine/picture/picture_io.h"

namespace lumivane::reading {

vips::VOption* Options();

// Says why, unless an earlier step already did; gives none.
std::nullopt_t Failed(const ReadOptions& options, ReadProblem problem, int w = 0, int h = 0,
                      std::uint64_t bytes = 0, std::string what = {});

// The steps every decoded picture takes. `stored_w` x `stored_h` is the
// picture's size as stored, before any reduction by the decoder.
// `damaged`, when given, looks at the picture once it is in memory, as
// stored (not yet turned upright), and refuses it by throwing.
vips::VImage Finish(vips::VImage image, int stored_w, int stored_h, const ReadOptions& options,
                    const std::function<void(const vips::VImage&)>& damaged = nullptr);

std::uint64_t PixelBytes(std::uint64_t w, std::uint64_t h, std::uint64_t bands);

// One reading of a picture file: its bytes, already counted in `ticket`.
struct Reading {
  const std::string& bytes;
  const ReadOptions& options;
  MemoryBudget::Ticket& ticket;
  // Above 0: the whole need did not fit beside the other pictures; the
  // reading is to be made again once that much is free.
  std::uint64_t wanted = 0;
};

// What encoding the picture takes later, while its share is still held.
std::uint64_t EncodingBytes(const ReadOptions& options, std::uint64_t pixels);

// Decodes when the file's bytes and the decoder's `need` (of which
// `encoding` is the encoder's) fit the budget; see picture_io.cc.
std::optional<vips::VImage> WithinBudget(Reading& r, std::uint64_t w, std::uint64_t h,
                                         std::uint64_t need, std::uint64_t encoding,
                                         const std::function<vips::VImage()>& decode);

// The readers of each kind (jpeg_reading.cc, format_reading.cc).
std::optional<vips::VImage> ReadJpeg(Reading& r);
std::optional<vips::VImage> ReadOther(Reading& r, PictureFormat format);
std::optional<vips::VImage> ReadBmp(Reading& r);

}  // namespace lumivane::reading

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_READING_H_
