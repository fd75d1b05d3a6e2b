// The window's own operations and their values, each described once:
// its option on the command line, its argument and --help text, how a
// value given there is taken (into the inputs, as the window's control
// would hold it; the run's checks then decide it as they decide the
// window's), and the inputs a refusal of it names. The window's controls
// and config.dat are their other front ends.
#ifndef LUMIVANE_ENGINE_RUN_BASIC_ROWS_H_
#define LUMIVANE_ENGINE_RUN_BASIC_ROWS_H_

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/picture/processing_settings.h"
#include "engine/run/run_request.h"

namespace lumivane {

struct PictureSwitches;

// The mark an input belongs to: a preview checks a mark's inputs only
// while that mark is previewed or on.
enum class RowGroup { kBasic, kTextMark, kPictureMark };

// The check a row's value is taken by (engine/run/input_checks.h).
enum class RowCheck {
  kNone,  // checked by another row
  kWidth,
  kQuality,
  kText,
  kOpacity,
  kTextMargins,
  kPicture,
  kPictureMargins,
};

// Where the window shows an input of a row: its control, by the name the
// window's layout gives it, the input it holds there (a switch, a
// choice's position, a text), the help bubble's text on it and, for a
// choice, the items it offers in order and the one chosen before any
// settings are shown. A row's first switch turns its other controls on
// and off.
struct WindowInput {
  const char* control;
  std::variant<bool& (*)(UserInputs&), int& (*)(UserInputs&), std::string& (*)(UserInputs&)> input;
  const char* help = nullptr;
  std::vector<std::string> choices{};
  int first_choice = 0;
};

struct BasicRow {
  const char* option;         // on the command line, after "--"
  const char* argument = "";  // "N"; "" for a switch
  // --help's text (the limits it names from their constants); "" for an
  // option told on another's line.
  std::string usage{};
  // --help's head, when it is not the option and its argument.
  const char* shown = nullptr;
  // Sets the value into the inputs and the font: "" when it may be taken,
  // else what is wrong with its form.
  std::string (*take)(const std::string& value, UserInputs& inputs, FontChoice& font);
  // The inputs it gives, as the run's checks name them.
  std::vector<Field> fields{};
  // Its part of the run's log line and report heading, "" while it is off;
  // none for an option that only tunes another.
  std::string (*log)(const UserInputs& on, const ProcessingSettings& settings) = nullptr;
  // Its check, made in the rows' order (the window's), which takes its
  // value into the settings.
  RowCheck check = RowCheck::kNone;
  RowGroup group = RowGroup::kBasic;
  // What it tells the pipeline's steps, from the inputs the checks took.
  void (*pipeline)(const UserInputs& on, PictureSwitches& switches) = nullptr;
  // Its controls in the window, read into the inputs and filled from them.
  std::vector<WindowInput> window{};
};

const std::vector<BasicRow>& BasicRows();

// The row of the option "--<option>"; none for another.
const BasicRow* FindBasicRow(std::string_view option);

// The window's operations in effect, as the log line and the report
// heading state them ("处理：宽度 800，质量 80"); "" when none is on.
std::string DescribeBasics(const UserInputs& on, const ProcessingSettings& settings);

// The --help lines of the rows, each option padded to `column`.
std::string BasicRowsUsage(size_t column);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_BASIC_ROWS_H_
