// What size a picture is made: the window's width, or one of the sizes
// marketplaces ask for (a height, the longer side, a box, an exact size
// by canvas, crop or smart crop). Decided once from the settings; the
// reading, the size step, the canvas and the output plan all follow it.
#ifndef LUMIVANE_ENGINE_PICTURE_SIZE_RULE_H_
#define LUMIVANE_ENGINE_PICTURE_SIZE_RULE_H_

#include <optional>
#include <string>

#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_size.h"

namespace lumivane {

struct SizeRule {
  // The box the picture fits inside; 0 leaves that side free. With
  // `exact`, the output is exactly width x height.
  int width = 0, height = 0;
  bool exact = false;
  int fit = kFitPad;
  bool enlarge = false;  // a smaller picture is enlarged to the size
  // The free side truncated, as the window's width has always done;
  // else rounded to the nearest pixel.
  bool truncated = false;
  bool Any() const { return width > 0 || height > 0; }
  bool Cuts() const { return exact && fit != kFitPad; }
};

// The rule in effect: a size among the operations takes the place of the
// window's width (`width`, 0 when its switch is off). With the square
// canvas a box becomes the square of its larger side.
SizeRule SizeRuleOf(int width, const ExtraOperations& extras);

// "" when the operations can go together, else what is wrong: at most one
// size, no square canvas beside an exact size, no size cap on PNG (it has
// no quality to lower), no {list} in the names without a list. The one check of them: the run, the preview, the
// operations' dialog and the command line all ask it.
std::string OperationsConflict(const ExtraOperations& extras);
// The same, in the command line's words, naming its options.
std::string ConflictingOptions(const ExtraOperations& extras);

// "800x600" (also "800X600", "800×600") as a size, each side 1..100000.
std::optional<PictureSize> ParseDimensions(const std::string& text);
// The check of such a text: "" when it is one, else what is wrong in the
// window's words or the command line's.
std::string CheckDimensions(const std::string& text, bool for_window = false);

// What a picture of `own` pixels is scaled to: into the box, or with a
// cut to cover it; never larger than its own pixels unless the rule
// enlarges. The side that decides gets the box's value.
PictureSize ScaledSize(PictureSize own, const SizeRule& rule);

// The part a cut keeps of a `scaled` picture: the rule's exact size, or,
// of a picture smaller than it and not enlarged, as much of each side as
// it has (laid on a canvas of the exact size after).
PictureSize CutSize(PictureSize scaled, const SizeRule& rule);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_SIZE_RULE_H_
