// The marketplace operations, each described once: its key in
// "options.dat", its command line option, the range of its value, its
// label and help in the "更多处理选项…" dialog, its --help text and its
// part of the log line. The file, the command line, the dialog and the
// log line are all built from these descriptors.
#ifndef LUMIVANE_ENGINE_PICTURE_OPERATION_TABLE_H_
#define LUMIVANE_ENGINE_PICTURE_OPERATION_TABLE_H_

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/picture/extra_operations.h"

namespace lumivane {

// The window's switches of the two marks, which some operations tune.
struct MarkSwitches {
  bool text = true;
  bool picture = true;
};

struct OperationField {
  const char* key;     // in options.dat
  const char* option;  // on the command line, after "--"
  // The option's argument in --help: "" for none, "[...]" when it may be
  // left out (a number then takes `dialog_value`).
  const char* argument = "";
  // The switch, the number that is 0 while the operation is off, or the
  // text that is empty while it is off.
  std::variant<bool ExtraOperations::*, int ExtraOperations::*, std::string ExtraOperations::*>
      value;
  ValueRange range{0, 0};  // a number's, when on
  int dialog_value = 0;    // a number's value in the dialog while it is off
  // A colour beside the switch or the number: "<key>_colour" in the file;
  // on the command line a switch's optional argument, after a number
  // ("8,#000000").
  std::string ExtraOperations::*colour = nullptr;
  // A number that names a choice: "jpeg|png|webp", the first (0) when off;
  // the window's words for them ("JPG|PNG|WebP"), in the dialog, the log
  // line and the options bar, where the command line keeps its own. A
  // choice that tunes another is told there even at its first ("补边").
  const char* choices = nullptr;
  const char* choice_names = nullptr;
  // A text's check: "" when it may be taken, else what is wrong with it,
  // in the window's words (`for_window`) or the command line's.
  std::string (*check)(const std::string& text, bool for_window) = nullptr;
  // What this operation does nothing without, comma-separated: the keys
  // of the operations it tunes (--fit tunes --size), "canvas" (a square
  // canvas or an exact size laid on one), "jpeg" (the output is a JPEG;
  // greyed in the dialog too), and the window's switches
  // "text_mark" and "picture_mark". Without them it is left out of the log
  // line and the resume key; without an operation it tunes it is also
  // greyed in the dialog and refused on the command line.
  const char* needs = nullptr;
  // In the key a resumed run compares whether on or off (the operations
  // journals were first written with); the others only when on, so that
  // an operation added later leaves earlier journals valid.
  bool keyed_when_off = false;
  // A text that names a file: the dialog's chooser beside it lists these
  // kinds ("表格 (*.csv)").
  const char* file_kinds = nullptr;
  const char* label;      // the dialog's check box
  const char* unit = "";  // after the dialog's number; a text's grey example
  const char* help;       // the dialog's help text
  const char* usage;      // the option's --help text
  const char* log;        // its part of the log line; "{}" is the value

  bool IsNumber() const { return std::holds_alternative<int ExtraOperations::*>(value); }
  bool IsText() const { return std::holds_alternative<std::string ExtraOperations::*>(value); }
  // The choices' names, the first the one that is off.
  std::vector<std::string> Choices() const;
  std::vector<std::string> ChoiceNames() const;
  bool IsOn(const ExtraOperations& o) const;
  // On, and everything it needs there too (`marks`: the window's mark
  // switches).
  bool Acts(const ExtraOperations& o, MarkSwitches marks = {}) const;
  // Everything it needs is there (whether it is on or not).
  bool NeedsMet(const ExtraOperations& o, MarkSwitches marks = {}) const;
  // What it needs among the operations, missing in `o`, in the command
  // line's words ("--trim", "--square or --size"); "" when nothing.
  std::string Missing(const ExtraOperations& o) const;
  // The operations whose switches it needs on in the dialog.
  std::vector<const OperationField*> Needed() const;
  // It needs a JPEG output, and `o` writes another format.
  bool NeedsOtherFormat(const ExtraOperations& o) const;
  int Number(const ExtraOperations& o) const;  // 0 for a switch or a text
  // The value as "options.dat" holds it: "0" or "1", the number, the text.
  std::string ValueText(const ExtraOperations& o) const;
  // From a file: a number brought into its range (not a number: off), a
  // switch on for "1", a text taken when its check passes (else off).
  void SetValueText(ExtraOperations& o, const std::string& text) const;
  // A number is brought into its range (0 turns it off); a switch is on
  // for any value but 0; a text is turned off by 0 and left by any other.
  void Set(ExtraOperations& o, int number) const;
  // This field's values from `from` (the switch, the number, the colour).
  void Copy(const ExtraOperations& from, ExtraOperations& to) const;
  // The option given on the command line, `next` the argument after it
  // (if any): sets `o` and tells whether `next` was its value. "" when
  // fine, else what is wrong.
  std::string TakeOption(const std::string* next, ExtraOperations& o, bool& took_next) const;
};

const std::vector<OperationField>& OperationFields();
// The row of `key` ("sharpen"); none for another.
const OperationField* FindOperation(std::string_view key);

// A preset made beside others in the window: its own operations, and of
// `shown` (the dialog's) those no built-in preset sets (the format, the
// names, the marks' look, ...), alike for every preset made.
ExtraOperations BesidePresets(const Preset& preset, const ExtraOperations& shown);

// One line for the log: what the operations do ("" when none is on).
std::string DescribeOperations(const ExtraOperations& operations, MarkSwitches marks = {});

// The operations' part of the key a resumed run compares: those keyed when
// off always, the others only when they act, so that journals written
// before them stay valid and an operation that does nothing makes nothing
// again.
std::string OperationsKeyText(const ExtraOperations& operations, MarkSwitches marks = {});

// An option's --help lines: "  " and `head` (the option and its argument),
// then `text` from `column` on, its words wrapped at 80 columns.
std::string UsageEntry(const std::string& head, const std::string& text, size_t column);

// The --help lines of the operations, each option padded to `column`.
std::string OperationsUsage(size_t column);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_OPERATION_TABLE_H_
