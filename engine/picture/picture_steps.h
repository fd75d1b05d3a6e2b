// A picture's pipeline as data, in two ordered lists: the steps it takes
// once read (each with what it does to the pixels and what it makes of
// the size, which the output plan names outputs by before any pixel is
// read), then, once cut into parts, the steps each part takes (the marks,
// the frame). The encoder, at the chosen quality and under the size cap,
// comes last, alike for the run and the preview.
#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_STEPS_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_STEPS_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include <vips/vips8>

#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_result.h"
#include "engine/picture/processing_settings.h"
#include "engine/picture/size_rule.h"

namespace lumivane {

// The text mark as one picture prints it: its tokens filled, in a face
// that shows what they brought.
struct PrintedText {
  std::string text;
  FontChoice font;
};

struct StepContext {
  const ProcessingSettings& settings;
  const PictureSwitches& switches;
  // A step may drop an operation the picture has no room for (the frame).
  ExtraOperations& extras;
  Untrimmed* untrimmed = nullptr;  // why the trim step left a picture whole
  bool unframed = false;           // too small for its frame: written without
  bool ground_kept = false;        // to be whitened, but no plain ground found
  // The watermark picture was larger than a part's room and shrunk to fit.
  mutable bool mark_shrunk = false;
  // The text mark was longer than a part's room and drawn smaller to fit.
  mutable bool text_shrunk = false;
  bool trimmed = false;  // the picture is now the product cut out
  // The plain ground it was cut from: a canvas without a colour of its own
  // is that ground, so the output is one ground from edge to edge.
  std::optional<std::array<double, 3>> ground = std::nullopt;
  double own_scale = 1;  // then its own pixels for each it has

  // Whether the operation of that row acts here: on, with everything it
  // needs (the steps ask their row, not its value).
  bool Acts(std::string_view key) const;
  // The size rule, in the picture's frame before it is turned: a turned
  // output has the size asked. A set size is this less its frame.
  SizeRule Rule() const;
  // The rule as asked, the frame not taken off.
  SizeRule AskedRule() const;
  // Whether the output's size is set whatever the picture: an exact size,
  // a square of a set side.
  bool FixedSize() const;
  // Whether the picture is laid on a canvas (square, or an exact size
  // padded).
  bool Canvas() const;
  // Whether the frame's room is made by the size step, in the one resize
  // (a size that is neither set nor cut, nothing trimmed).
  bool RoomInSize() const;
  // The picture's upright size as stored, once known.
  std::optional<PictureSize> original = std::nullopt;
  // The text mark as this picture prints it; none: as typed, in the
  // chosen face.
  std::optional<PrintedText> printed = std::nullopt;
};

struct PictureStep {
  const char* name;
  bool (*on)(const StepContext&);
  vips::VImage (*apply)(const vips::VImage&, StepContext&);
  // The size after the step from the size before; none where it hangs on
  // the pixels.
  std::optional<PictureSize> (*size)(PictureSize, StepContext&);
  // Whole copies of the picture at its size the step holds beside its
  // input while it works (it makes its result in memory); 0 for a step the
  // imaging library makes as the picture streams to the encoder.
  int copies;
};

// The steps in the order a picture takes them: the list itself is the
// order (a new step goes where it belongs in it).
const std::vector<PictureStep>& PictureSteps();

// The steps' behaviour: raised whenever a step makes other pixels from the
// same settings (a better trim, a changed auto level), so a resumed run
// makes again what an earlier pipeline made. 2: trim keeps thin chains and
// soft edges, auto level leaves dark goods, pages take the width asked.
// 3: the turn is keyed in degrees.
inline constexpr int kPipelineVersion = 3;

// The most whole copies any step that is on holds beside its input: what
// the reading reserves for the steps.
int StepCopies(const StepContext& context);

// The size an upright `original` is read at: the rule's, or larger for a
// product to be cut out.
PictureSize ReadSize(PictureSize original, const StepContext& context);

// What each part of a picture (or the whole) takes once the picture is
// cut, in order: each mark lies on every part (the frame then goes round).
struct PartStep {
  const char* name;
  bool (*on)(const StepContext&, const vips::VImage* watermark);
  // False when the step could not be done (the text could not be drawn).
  bool (*apply)(vips::VImage& part, const StepContext&, const vips::VImage* watermark);
};
const std::vector<PartStep>& PartSteps();

// The part steps' size: a picture made at `made` framed, and cut into
// parts each with its share of the frame, so the parts stacked are the
// framed picture (one part when it is not cut).
OutputShape PartsShape(PictureSize made, const ExtraOperations& extras);

// The part of the framed picture `height` high from row `top`, made of
// `base`: the marks laid on its own rows of the picture, then its share of
// the frame. `marked` turns false when the text could not be drawn.
vips::VImage FinishedPart(const vips::VImage& base, int top, int height, const StepContext& context,
                          const vips::VImage* watermark, bool& marked);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_STEPS_H_
