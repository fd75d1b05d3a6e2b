// What marketplaces ask of a picture beyond the window's switches: a
// square canvas, a file size cap, a long picture cut into slices, a text
// mark tiled over the whole picture, a watermark picture sized to the
// output. Each is off by default.
#ifndef LUMIVANE_ENGINE_PICTURE_EXTRA_OPERATIONS_H_
#define LUMIVANE_ENGINE_PICTURE_EXTRA_OPERATIONS_H_

#include <optional>
#include <string>
#include <vector>

namespace lumivane {

// The output formats: JPEG unless asked; PNG and WebP keep transparency.
enum OutputFormat { kJpegOutput = 0, kPngOutput = 1, kWebpOutput = 2 };
// ".jpg", ".png", ".webp".
const char* OutputExtension(int format);

// How an exact size is made: the picture on a canvas of that size, or
// filling it and cut, in the middle or where its interest lies.
enum SizeFit { kFitPad = 0, kFitCrop = 1, kFitSmart = 2 };

struct ExtraOperations {
  // A size instead of the window's width, at most one of them: the height,
  // the longer side, a box "WxH" to fit inside, an exact size "WxH" made as
  // `fit` says. Never enlarged unless `enlarge`.
  int height = 0;
  int long_side = 0;
  std::string box;
  std::string size;
  int fit = kFitPad;
  bool enlarge = false;
  bool square = false;  // pad to a square of the longer side
  // The canvas: "" for none given (white, or transparent where the output
  // keeps transparency); a colour flattens the whole output on it.
  std::string square_colour;
  // Each folder's pictures one under another in one page (a detail page),
  // `join_gap` rows of `join_colour` ("" white) between them.
  bool join = false;
  int join_gap = 0;
  std::string join_colour;
  int max_kb = 0;              // above 0: each output at most this many KB
  int slice_height = 0;        // above 0: taller pictures cut into parts
  bool tiled_text = false;     // the text watermark over the whole picture
  int mark_width_percent = 0;  // above 0: the watermark picture's width
  int sharpen = 0;             // above 0: sharpened after the shrink, 50 the usual strength
  int border = 0;              // above 0: a frame this wide inside the output's width
  // Above 0: the product cut out of a plain background that differs by
  // less than this; on the square canvas its longer side `fill` percent.
  int trim = 0;
  int fill = 0;          // 0: the usual 85
  int text_outline = 0;  // above 0: the text mark's letters outlined this wide
  std::string text_outline_colour = "#000000";
  bool text_shadow = false;  // a soft shadow under the text mark
  int format = kJpegOutput;  // what the outputs are written as
  std::string rename;        // a pattern for the outputs' names; "" keeps them
  int rename_start = 0;      // the first {n}; 0 for 1
  std::string rename_list;   // a list of pictures and their names, for {list}
  std::string border_colour = "#000000";
  bool progressive = false;  // JPEG outputs shown coarse first, then sharp
  bool auto_level = false;   // a dull photograph's levels stretched to the full range
  bool mirror = false;       // turned over left to right before the marks are laid
  // Above 0: a plain ground (give or take this) made pure white.
  int white_ground = 0;
  bool operator==(const ExtraOperations&) const = default;
  bool Any() const { return *this != ExtraOperations{}; }
};

// The values an operation takes when it is on (0 is off): what the dialog
// offers, what the command line accepts and what a stored file is brought
// into.
struct ValueRange {
  int low, high;
  int Clamp(int v) const { return v < low ? low : v > high ? high : v; }
};
inline constexpr ValueRange kSideRange{1, 100000};
inline constexpr ValueRange kFitRange{kFitCrop, kFitSmart};
inline constexpr ValueRange kMaxKbRange{10, 100000};
inline constexpr ValueRange kSliceHeightRange{100, 100000};
inline constexpr ValueRange kJoinGapRange{1, 500};
inline constexpr ValueRange kMarkWidthRange{1, 100};
inline constexpr ValueRange kSharpenRange{1, 100};
inline constexpr ValueRange kBorderRange{1, 200};
inline constexpr ValueRange kTrimRange{1, 100};
inline constexpr ValueRange kFillRange{10, 100};
inline constexpr ValueRange kOutlineRange{1, 10};
inline constexpr ValueRange kFormatRange{kPngOutput, kWebpOutput};
inline constexpr ValueRange kRenameStartRange{1, 999999};

// A named set of the basic switches and the operations.
struct Preset {
  std::string name;
  std::string id;          // short, to type: "main"
  std::string short_name;  // "主图"
  int width = 0;           // the width switch on at this width; 0 leaves it
  ExtraOperations operations;
};
// The built-in presets.
const std::vector<Preset>& Presets();
// Among the built-in presets and then `user`'s: the one with this whole
// name, id or short name, else the only one one of them starts with. None
// when no preset, or more than one, answers.
std::optional<Preset> FindPreset(const std::string& name, const std::vector<Preset>& user = {});

// The folder of the target a preset's outputs go into when several
// presets are made at once: its short name ("主图"), else its name, made
// a plain folder name.
std::string PresetFolderName(const Preset& preset);

// The heights of the parts a picture of `height` is cut into: each at most
// `slice_height`, none lower than a quarter of it (a short remainder shares
// the last two parts evenly with the one before). One part when the
// picture is not taller than a slice.
std::vector<int> SliceHeights(int height, int slice_height);

// "a_01.jpg" for part 1 of "a.jpg": the number goes before the extension.
std::string SlicePath(const std::string& output_path, int part);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_EXTRA_OPERATIONS_H_
