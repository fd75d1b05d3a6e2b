#include "engine/picture/operation_table.h"

#include <algorithm>
#include <cctype>

#include "engine/picture/colour.h"
#include "engine/picture/rename.h"
#include "engine/picture/size_rule.h"
#include "text/text_helpers.h"

namespace lumivane {

bool OperationField::IsOn(const ExtraOperations& o) const {
  if (IsNumber()) return o.*std::get<int ExtraOperations::*>(value) > 0;
  if (IsText()) return !(o.*std::get<std::string ExtraOperations::*>(value)).empty();
  return o.*std::get<bool ExtraOperations::*>(value);
}

const OperationField* FindOperation(std::string_view key) {
  for (const OperationField& f : OperationFields()) {
    if (key == f.key) return &f;
  }
  return nullptr;
}

namespace {

// The needs one at a time.
template <typename Each>
void ForEachNeed(const char* needs, Each each) {
  if (needs == nullptr) return;
  const std::string_view all(needs);
  for (size_t start = 0; start <= all.size();) {
    const size_t comma = std::min(all.find(',', start), all.size());
    each(all.substr(start, comma - start));
    start = comma + 1;
  }
}

bool HasCanvas(const ExtraOperations& o) {
  return o.square || (!o.size.empty() && o.fit == kFitPad);
}

}  // namespace

std::vector<const OperationField*> OperationField::Needed() const {
  std::vector<const OperationField*> fields;
  ForEachNeed(needs, [&](std::string_view need) {
    if (const OperationField* f = FindOperation(need)) fields.push_back(f);
  });
  return fields;
}

bool OperationField::NeedsOtherFormat(const ExtraOperations& o) const {
  bool other = false;
  ForEachNeed(needs, [&](std::string_view need) {
    other = other || (need == "jpeg" && o.format != kJpegOutput);
  });
  return other;
}

bool OperationField::Acts(const ExtraOperations& o, MarkSwitches marks) const {
  return IsOn(o) && NeedsMet(o, marks);
}

bool OperationField::NeedsMet(const ExtraOperations& o, MarkSwitches marks) const {
  bool acts = true;
  ForEachNeed(needs, [&](std::string_view need) {
    if (need == "text_mark") {
      acts = acts && marks.text;
    } else if (need == "picture_mark") {
      acts = acts && marks.picture;
    } else if (need == "canvas") {
      acts = acts && HasCanvas(o);
    } else if (need == "jpeg") {
      acts = acts && o.format == kJpegOutput;
    } else if (const OperationField* f = FindOperation(need)) {
      acts = acts && f->IsOn(o);
    }
  });
  return acts;
}

std::string OperationField::Missing(const ExtraOperations& o) const {
  std::string missing;
  ForEachNeed(needs, [&](std::string_view need) {
    const OperationField* f = FindOperation(need);
    std::string name;
    if (need == "canvas" && !HasCanvas(o)) name = "--square or --size";
    if (need == "jpeg" && o.format != kJpegOutput) name = "--format jpeg";
    if (f != nullptr && !f->IsOn(o)) name = std::string("--") + f->option;
    if (!name.empty()) missing += (missing.empty() ? "" : " and ") + name;
  });
  return missing;
}

std::string OperationField::ValueText(const ExtraOperations& o) const {
  if (IsText()) return o.*std::get<std::string ExtraOperations::*>(value);
  return std::to_string(IsNumber() ? Number(o) : IsOn(o));
}

void OperationField::SetValueText(ExtraOperations& o, const std::string& text) const {
  if (IsText()) {
    const bool fine = check == nullptr || check(text, false).empty();
    o.*std::get<std::string ExtraOperations::*>(value) = fine ? text : "";
  } else if (IsNumber()) {
    const auto n = WholeNumber(text);
    Set(o, n && *n >= 0 ? *n : 0);
  } else {
    Set(o, text == "1");
  }
}

int OperationField::Number(const ExtraOperations& o) const {
  return IsNumber() ? o.*std::get<int ExtraOperations::*>(value) : 0;
}

void OperationField::Set(ExtraOperations& o, int number) const {
  if (IsNumber()) {
    o.*std::get<int ExtraOperations::*>(value) = number == 0 ? 0 : range.Clamp(number);
  } else if (IsText()) {
    if (number == 0) (o.*std::get<std::string ExtraOperations::*>(value)).clear();
  } else {
    o.*std::get<bool ExtraOperations::*>(value) = number != 0;
  }
}

void OperationField::Copy(const ExtraOperations& from, ExtraOperations& to) const {
  if (IsText()) {
    to.*std::get<std::string ExtraOperations::*>(value) =
        from.*std::get<std::string ExtraOperations::*>(value);
  }
  Set(to, IsNumber() ? Number(from) : IsOn(from));
  if (colour != nullptr) to.*colour = from.*colour;
}

namespace {

std::vector<std::string> SplitChoices(const char* choices) {
  std::vector<std::string> names;
  for (std::string_view rest = choices ? choices : ""; !rest.empty();) {
    const size_t bar = std::min(rest.find('|'), rest.size());
    names.emplace_back(rest.substr(0, bar));
    rest.remove_prefix(std::min(bar + 1, rest.size()));
  }
  return names;
}

}  // namespace

std::vector<std::string> OperationField::Choices() const { return SplitChoices(choices); }

std::vector<std::string> OperationField::ChoiceNames() const {
  return SplitChoices(choice_names != nullptr ? choice_names : choices);
}

std::string OperationField::TakeOption(const std::string* next, ExtraOperations& o,
                                       bool& took_next) const {
  took_next = false;
  if (IsText()) {
    if (next == nullptr) return "needs a value";
    if (check != nullptr) {
      if (std::string why = check(*next, false); !why.empty()) return why;
    }
    o.*std::get<std::string ExtraOperations::*>(value) = *next;
    took_next = true;
    return "";
  }
  if (!IsNumber()) {
    Set(o, 1);
    if (colour == nullptr || next == nullptr || next->empty() || (*next)[0] != '#') return "";
    if (!IsColourText(*next)) return "the colour must be #RRGGBB";
    o.*colour = *next;
    took_next = true;
    return "";
  }
  if (choices != nullptr) {
    const std::vector<std::string> names = Choices();
    if (next == nullptr) return "needs a value";
    const auto at = std::find(names.begin(), names.end(), *next);
    if (at == names.end()) return std::string("must be one of ") + choices;
    took_next = true;
    Set(o, static_cast<int>(at - names.begin()));
    return "";
  }
  // A number that may be left out is there when the next argument starts
  // with a digit.
  const bool optional = argument[0] == '[';
  if (next == nullptr && !optional) return "needs a value";
  if (next == nullptr || (optional && (next->empty() || !std::isdigit((*next)[0])))) {
    Set(o, dialog_value);
    return "";
  }
  took_next = true;
  const size_t comma = next->find(',');
  const auto n = WholeNumber(std::string_view(*next).substr(0, comma));
  if (!n || *n < range.low || *n > range.high) {
    return "must be " + std::to_string(range.low) + " to " + std::to_string(range.high);
  }
  if (comma != std::string::npos) {
    const std::string tint = next->substr(comma + 1);
    if (colour == nullptr || !IsColourText(tint)) return "the colour must be #RRGGBB";
    o.*colour = tint;
  }
  Set(o, *n);
  return "";
}

ExtraOperations BesidePresets(const Preset& preset, const ExtraOperations& shown) {
  ExtraOperations made = preset.operations;
  const ExtraOperations none;
  for (const OperationField& f : OperationFields()) {
    const bool a_presets = std::any_of(Presets().begin(), Presets().end(), [&](const Preset& p) {
      return f.ValueText(p.operations) != f.ValueText(none);
    });
    if (!a_presets) f.Copy(shown, made);
  }
  return made;
}

std::string DescribeOperations(const ExtraOperations& o, MarkSwitches marks) {
  std::string text;
  for (const OperationField& f : OperationFields()) {
    const bool first_choice = f.choices != nullptr && f.needs != nullptr && !f.IsOn(o);
    if (!(first_choice ? f.NeedsMet(o, marks) : f.Acts(o, marks))) continue;
    std::string part = f.log;
    const size_t at = part.find("{}");
    if (at != std::string::npos) {
      part.replace(at, 2,
                   f.choices != nullptr         ? f.ChoiceNames()[static_cast<size_t>(f.Number(o))]
                   : f.IsNumber() || f.IsText() ? f.ValueText(o)
                                                : o.*f.colour);
    }
    if (f.IsNumber() && f.colour != nullptr) part += " " + o.*f.colour;
    while (!part.empty() && part.back() == ' ') part.pop_back();  // no colour given
    text += (text.empty() ? "" : "，") + part;
  }
  return text.empty() ? text : "更多处理选项：" + text;
}

std::string OperationsKeyText(const ExtraOperations& x, MarkSwitches marks) {
  std::string always, colours, when_on;
  for (const OperationField& f : OperationFields()) {
    if (f.keyed_when_off) {
      const bool acts = f.Acts(x, marks);
      always += std::to_string(f.IsNumber() ? acts * f.Number(x) : acts) + ",";
      if (f.colour != nullptr) colours += x.*f.colour;
    } else if (f.Acts(x, marks)) {
      when_on += std::string(";") + f.key + "=" + f.ValueText(x);
      if (f.colour != nullptr) when_on += x.*f.colour;
    }
  }
  return always + colours + when_on;
}

}  // namespace lumivane
