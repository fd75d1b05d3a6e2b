// The checks of the user's inputs before a run or a preview. Each check
// refuses a bad value with a message and names the input to correct, or
// stores the value into the settings record at once.
#ifndef LUMIVANE_ENGINE_RUN_INPUT_CHECKS_H_
#define LUMIVANE_ENGINE_RUN_INPUT_CHECKS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/picture/picture_ops.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/basic_rows.h"
#include "engine/run/messages.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

// A text of digits as a number; saturates instead of overflowing. None for
// anything that is not digits only.
std::optional<std::uint64_t> ParseDigits(const std::string& text);

// A typed value that cannot be taken: what is wrong, in the words every
// front end shows, and the input it is about.
struct ValueRefusal {
  std::string message;
  Field field;
};

// The values typed into the window or given on the command line, each
// decided here alone: the width (when it is on), the text (when the mark is
// on, or for a preview), a mark's margins (where its place uses them).
std::optional<ValueRefusal> WidthRefusal(const UserInputs& inputs);
std::optional<ValueRefusal> TextRefusal(const UserInputs& inputs, bool for_preview);
std::optional<ValueRefusal> MarginRefusal(const MarkPlace& place, msg::Watermark watermark,
                                          bool horizontal);
// The first of them refused, in the window's order; none when all may be
// taken.
std::optional<ValueRefusal> RefusedValue(const UserInputs& inputs);

// What the checks are for: a run, or the preview of one mark, which needs
// that mark's inputs even while it is off.
enum class ChecksFor { kRun, kTextPreview, kPicturePreview };

class InputChecks {
 public:
  InputChecks(WindowPort& port, const UserInputs& inputs, ProcessingSettings& settings)
      : port_(port), in_(inputs), s_(settings) {}

  // The source folder as checked and used.
  std::string Source() const;
  const UserInputs& inputs() const { return in_; }

  // The operations can go together (one check for every front end).
  bool Operations(const ExtraOperations& extras);
  // A row's check (see basic_rows.h).
  bool Check(RowCheck check, ChecksFor mode);
  bool SourceFolder();
  bool Width();
  void Quality();
  // The run refuses an empty text only when the text watermark is on, and
  // tests the font only then; the preview always needs a text.
  bool WatermarkText(bool for_preview);
  void Opacity();
  bool TextMargins();
  // The picture must exist only when the picture watermark is on.
  bool WatermarkPicture();
  bool PictureMargins();
  // The target folder, trimmed, into `target`; refuses the source folder
  // itself, however it is spelled (the outputs would replace the
  // originals); creates the folder, with any missing folders above it,
  // unless the subfolder mode will refuse it as lying inside the source.
  bool TargetFolder(std::string& target);
  // Subfolder mode with the target below the source: the run refuses it
  // once the settings are saved.
  bool target_inside_source() const { return target_inside_source_; }
  // The target folder could not be made: a run that failed, not one refused.
  bool target_not_made() const { return target_not_made_; }
  // The folders the check made for the target, nearest first: a run
  // refused later takes them away again (only while empty).
  const std::vector<std::string>& made_folders() const { return made_folders_; }

  // Shows a message; the named input gets the focus when the run ends.
  bool Fail(const std::string& text, std::optional<Field> focus,
            MessageIcon icon = MessageIcon::kError);
  bool Fail(const ValueRefusal& refusal) { return Fail(refusal.message, refusal.field); }
  std::optional<Field> focus() const { return focus_; }

 private:
  bool Margin(const MarkPlace& place, msg::Watermark watermark, bool horizontal,
              std::int32_t& direction, std::uint32_t& value);

  WindowPort& port_;
  const UserInputs& in_;
  ProcessingSettings& s_;
  std::optional<Field> focus_;
  bool target_inside_source_ = false;
  bool target_not_made_ = false;
  std::vector<std::string> made_folders_;
};

// What the window's settings (not the marks) tell the pipeline.
PictureSwitches BasicSwitches(const UserInputs& inputs);
// That and the marks' switches, as a run takes them.
PictureSwitches RunSwitches(const UserInputs& inputs);

// Every check, in the window's order, each value taken into the settings:
// the operations, the source, the width, the quality, the marks (a preview
// only those it lays) and, for a run, the target, made when missing. False
// when one failed (its message shown).
bool CheckInputs(InputChecks& checks, const ExtraOperations& extras, ChecksFor mode,
                 std::string& target);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_INPUT_CHECKS_H_
