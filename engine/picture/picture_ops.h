// One picture end to end, as a run and the preview make it: read
// (upright, sRGB, white under transparency, shrunk), taken through the
// steps of picture_steps.h, encoded and written.
#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_OPS_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_OPS_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <vips/vips8>

#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_result.h"
#include "engine/picture/processing_settings.h"
#include "engine/picture/rename.h"
#include "engine/picture/size_cap.h"
#include "platform/file_system.h"

namespace lumivane {

// The longest side an output `format` holds.
int LargestSide(int format);

// The JPEG quality written: the chosen one with the quality switch, else
// the encoder's usual default.
int OutputQuality(const ProcessingSettings& settings, const PictureSwitches& switches);

// Target folder + name; names that do not end in the format's extension
// (".jpg" or ".jpeg", ".png", ".webp"; any case) get it appended to the
// whole name. Names without "." stay.
std::string OutputPathFor(const std::string& target_folder, const std::string& file_name,
                          int format = kJpegOutput);

// The watermark picture, read once per run (8-bit sRGB with alpha, the
// first frame of a GIF), shrunk while it is read to `width` when that is
// above 0 and smaller; none when it cannot be read. With `hold`, its memory
// stays counted in the pictures' budget while the ticket is kept.
std::optional<vips::VImage> LoadWatermarkPicture(
    const std::string& path, int width = 0, std::optional<MemoryBudget::Ticket>* hold = nullptr,
    ReadFailure* failure = nullptr);

// The widest the watermark picture is laid on the pictures of `sources`
// (at its share of their width, or at most as wide as they are), so that
// it need not be read any larger; 0 when a picture's size is not told by
// its header.
int WidestMark(const ProcessingSettings& settings, const PictureSwitches& switches,
               const ExtraOperations& extras, const std::vector<std::string>& sources);

// The paths of a picture's outputs (one, or a part each), or `taken`: the
// first of them that is another picture's output in this run.
struct NamedOutputs {
  std::string name;  // the output's name, the parts numbered from it
  std::vector<std::string> paths;
  std::string taken;
  // When given, puts the outputs in place by `put` while the names are
  // still the picture's (an earlier picture may take them meanwhile): none
  // when they are not, else what `put` gave.
  std::function<std::optional<bool>(const std::function<bool()>& put)> commit = nullptr;
};
// Asked, once the picture is made and before anything is written, for the
// names of its outputs at its size, cut into parts of `part_heights` (one
// when it is not cut): a name that holds the size holds each part's own.
using OutputNamer =
    std::function<NamedOutputs(PictureSize size, const std::vector<int>& part_heights)>;

// What an output is made of: one picture, or the pictures a page joins,
// in order (each read and taken through the picture steps at the width
// asked, one under another with the page's gap; a picture that cannot be
// read is left out, `left_out`, and none read is a read failure).
struct OutputSources {
  std::vector<std::string> pictures;
  bool page = false;
};

// One output end to end: made, cut into parts, marked, encoded and
// written. `watermark` may be null (then no picture watermark is laid).
// Its outputs are named by `namer`, else `output` and its parts. With
// `tokens`, the text mark prints its text with them filled (the output's
// size with them). Touches nothing but its inputs and its output files.
PictureResult ProcessOutput(const OutputSources& sources, const std::string& output,
                            const ProcessingSettings& settings, const PictureSwitches& switches,
                            const vips::VImage* watermark, const ExtraOperations& extras = {},
                            const OutputNamer& namer = nullptr,
                            const TokenValues* tokens = nullptr);
// The output of one picture.
PictureResult ProcessOnePicture(const std::string& source, const std::string& output,
                                const ProcessingSettings& settings, const PictureSwitches& switches,
                                const vips::VImage* watermark, const ExtraOperations& extras = {},
                                const OutputNamer& namer = nullptr,
                                const TokenValues* tokens = nullptr);

// One of several outputs made from one picture: what ProcessOutput takes.
struct OutputOrder {
  std::string output;
  const ProcessingSettings& settings;
  const PictureSwitches& switches;
  const vips::VImage* watermark = nullptr;
  ExtraOperations extras{};
  OutputNamer namer = nullptr;
  const TokenValues* tokens = nullptr;
};
// Every output of `orders` made from `source`, read and decoded once (at
// the size the largest needs, kept in memory while they are made, one
// after another); each as ProcessOnePicture makes it. A picture too large
// to keep whole is read for each output on its own.
std::vector<PictureResult> ProcessOutputSets(const std::string& source,
                                             const std::vector<OutputOrder>& orders);

// The same making up to the encoding, as a preview shows it: the picture
// as it will be written (the first part of one cut into parts), or none
// when it cannot be read. `mark_failed`, when given, tells whether a mark
// was asked for and could not be laid. `decoder_may_reduce` off: a large
// JPEG is decoded whole (for reference measurements).
std::optional<vips::VImage> RenderPicture(
    const OutputSources& sources, const ProcessingSettings& settings,
    const PictureSwitches& switches, const vips::VImage* watermark,
    const ExtraOperations& extras = {}, const TokenValues* tokens = nullptr,
    bool* mark_failed = nullptr, bool decoder_may_reduce = true);

// One picture or part encoded as a run writes it: in the output's format,
// under its size cap when there is one. None when it cannot be encoded.
std::optional<CappedJpeg> EncodeOutput(const vips::VImage& part, const ExtraOperations& extras,
                                       int quality);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_OPS_H_
