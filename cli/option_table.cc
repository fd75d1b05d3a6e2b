#include "cli/option_table.h"

#include <map>

#include "engine/picture/colour.h"
#include "engine/picture/operation_table.h"
#include "text/text_helpers.h"

namespace lumivane::cli {
namespace {

using Presets = std::vector<Preset>;

// A whole number from `low` to `high`.
std::optional<int> Bounded(const std::string& s, int low, int high) {
  const auto v = WholeNumber(s);
  if (!v || *v < low || *v > high) return std::nullopt;
  return v;
}

// The position of the window's choice box that offers the number typed.
std::optional<int> Choice(const std::string& s, std::optional<int> (*position)(int)) {
  const auto v = WholeNumber(s);
  return v ? position(*v) : std::nullopt;
}

std::optional<std::pair<std::string, std::string>> Pair(const std::string& s, char between = ',') {
  auto at = s.find(between);
  if (at == std::string::npos) return std::nullopt;
  return std::make_pair(s.substr(0, at), s.substr(at + 1));
}

// "right,bottom" -> the choice boxes' positions (0 centred, 1 near, 2 far).
std::optional<std::pair<int, int>> Position(const std::string& s) {
  static const std::map<std::string, int> kH = {{"center", 0}, {"left", 1}, {"right", 2}};
  static const std::map<std::string, int> kV = {{"center", 0}, {"top", 1}, {"bottom", 2}};
  auto p = Pair(s);
  if (!p || !kH.count(p->first) || !kV.count(p->second)) return std::nullopt;
  return std::make_pair(kH.at(p->first), kV.at(p->second));
}

// A text option's value, as given.
template <auto field>
std::string Store(const std::string& value, CliOptions& options, const Presets&) {
  options.*field = value;
  return "";
}

// A switch: the field set to `to`.
template <auto field, bool to>
std::string Set(const std::string&, CliOptions& options, const Presets&) {
  options.*field = to;
  return "";
}

constexpr char kMarginsError[] = "must be X,Y";
constexpr char kPositionError[] = "must be H,V with H left|center|right and V top|center|bottom";

const std::vector<CliOption> kOptions = {
    {"--source", "DIR", OptionGroup::kBasic, "folder of the pictures (required)",
     Store<&CliOptions::source>},
    {"--target", "DIR", OptionGroup::kBasic,
     "where to save them (default: the first of DIR_处理后, DIR_处理后2, ... that does not "
     "exist yet)",
     Store<&CliOptions::target>},
    {"--subfolders", nullptr, OptionGroup::kBasic, "also the pictures of every folder below DIR",
     Set<&CliOptions::subfolders, true>},
    {"--width", "N", OptionGroup::kBasic,
     "shrink to N pixels wide (1-9999), never enlarge; the height in proportion, truncated",
     Store<&CliOptions::width>},
    {"--quality", "Q", OptionGroup::kBasic,
     "JPEG quality 50-100 in steps of 5 (default from config.dat)",
     [](const std::string& v, CliOptions& o, const Presets&) {
       return (o.quality = Choice(v, QualityPosition)) ? std::string() : "must be 50, 55, ... 100";
     }},
    {"--rotate", "DEG", OptionGroup::kBasic, "rotate clockwise by 90, 180 or 270 degrees",
     [](const std::string& v, CliOptions& o, const Presets&) {
       return (o.rotation = Choice(v, RotationPosition)) ? std::string() : "must be 90, 180 or 270";
     }},
    {"--text", "TEXT", OptionGroup::kBasic, "print TEXT on every picture",
     Store<&CliOptions::text>},
    {"--font", "NAME", OptionGroup::kBasic,
     "font of the text (e.g. \"WenQuanYi Zen Hei\" for Chinese)", Store<&CliOptions::font>},
    {"--font-size", "PT", OptionGroup::kBasic, "size of the text in points (8-72)",
     [](const std::string& v, CliOptions& o, const Presets&) {
       o.font_size = Bounded(v, kMinFontSize, kMaxFontSize);
       return o.font_size ? std::string()
                          : "must be " + std::to_string(kMinFontSize) + " to " +
                                std::to_string(kMaxFontSize);
     }},
    {"--color", "#RRGGBB", OptionGroup::kBasic, "colour of the text",
     [](const std::string& v, CliOptions& o, const Presets&) {
       if (!IsColourText(v)) return std::string("must be #RRGGBB");
       o.color = v;
       return std::string();
     }},
    {"--bold", nullptr, OptionGroup::kBasic, "style of the text (--no-bold, --no-italic: plain)",
     Set<&CliOptions::bold, true>, "--bold, --italic"},
    {"--italic", nullptr, OptionGroup::kBasic, nullptr, Set<&CliOptions::italic, true>},
    {"--no-bold", nullptr, OptionGroup::kBasic, nullptr, Set<&CliOptions::bold, false>},
    {"--no-italic", nullptr, OptionGroup::kBasic, nullptr, Set<&CliOptions::italic, false>},
    {"--opacity", "P", OptionGroup::kBasic, "opacity of the text, 10-100 percent in steps of 10",
     [](const std::string& v, CliOptions& o, const Presets&) {
       return (o.opacity = Choice(v, OpacityPosition)) ? std::string() : "must be 10, 20, ... 100";
     }},
    {"--text-position", "H,V", OptionGroup::kBasic, "H: left|center|right, V: top|center|bottom",
     [](const std::string& v, CliOptions& o, const Presets&) {
       return (o.text_position = Position(v)) ? std::string() : kPositionError;
     }},
    {"--text-margins", "X,Y", OptionGroup::kBasic, "margins of the text in pixels (0-999)",
     [](const std::string& v, CliOptions& o, const Presets&) {
       return (o.text_margins = Pair(v)) ? std::string() : kMarginsError;
     }},
    {"--image", "FILE", OptionGroup::kBasic, "lay the picture FILE on every picture",
     Store<&CliOptions::image>},
    {"--image-position", "H,V", OptionGroup::kBasic,
     "as --text-position, for the picture watermark",
     [](const std::string& v, CliOptions& o, const Presets&) {
       return (o.image_position = Position(v)) ? std::string() : kPositionError;
     }},
    {"--image-margins", "X,Y", OptionGroup::kBasic,
     "margins of the picture watermark in pixels (0-999)",
     [](const std::string& v, CliOptions& o, const Presets&) {
       return (o.image_margins = Pair(v)) ? std::string() : kMarginsError;
     }},
    {"--overwrite", "yes|no|ask", OptionGroup::kBasic,
     "answer to \"overwrite existing outputs?\": yes replaces them, no ends the run at the first "
     "(default: ask on a terminal, else end the run there)",
     [](const std::string& v, CliOptions& o, const Presets&) {
       static const std::map<std::string, OverwriteChoice> kChoices = {
           {"yes", OverwriteChoice::kYes},
           {"no", OverwriteChoice::kNo},
           {"ask", OverwriteChoice::kAsk}};
       if (!kChoices.count(v)) return std::string("must be yes, no or ask");
       o.overwrite = kChoices.at(v);
       return std::string();
     }},
    {"--workers", "N", OptionGroup::kBasic, "pictures processed at once (default: one per core)",
     [](const std::string& v, CliOptions& o, const Presets&) {
       const auto n = Bounded(v, 1, 256);
       if (!n) return std::string("must be 1 to 256");
       o.workers = *n;
       return std::string();
     }},
    {"--save-settings", nullptr, OptionGroup::kBasic,
     "store this run's settings into config.dat (otherwise the options apply to this run only)",
     Set<&CliOptions::save_settings, true>},
    {"--preset", "NAME", OptionGroup::kPresets,
     "a named set of the width and these operations: its name, its id (main, detail, thumb), "
     "its short name (主图, 详情图, 缩略图) or the start of one; also the presets saved in the "
     "window (presets.dat)",
     [](const std::string& v, CliOptions& o, const Presets& user) {
       o.preset = FindPreset(v, user);
       return o.preset ? std::string()
                       : "no such preset, or more than one begins so (see --list-presets)";
     }},
    {"--list-presets", nullptr, OptionGroup::kPresets, "the presets' ids and names",
     Set<&CliOptions::list_presets, true>},
    {"--shard", "K/N", OptionGroup::kJobs,
     "process share K (0 to N-1) of N: shards started anywhere with the same source and target "
     "share the job out",
     [](const std::string& v, CliOptions& o, const Presets&) {
       const auto p = Pair(v, '/');
       const auto k = p ? WholeNumber(p->first) : std::nullopt,
                  n = p ? WholeNumber(p->second) : std::nullopt;
       if (!k || !n || *n < 1 || *k < 0 || *k >= *n) {
         return std::string("must be K/N with 0 <= K < N");
       }
       o.shard_index = *k;
       o.shard_count = *n;
       return std::string();
     }},
    {"--skip-done", nullptr, OptionGroup::kJobs,
     "leave a picture whose last run into this target succeeded with the same settings from "
     "the same file, while all its outputs are there whole",
     Set<&CliOptions::skip_done, true>},
    {"--manifest", "FILE", OptionGroup::kJobs,
     "add one JSON line per picture to FILE (- for standard output): source, outputs, result, "
     "bytes, ms; a name's bytes that are not UTF-8 are written \\udcXX",
     Store<&CliOptions::manifest>},
    {"--help", nullptr, OptionGroup::kJobs, "this text", Set<&CliOptions::help, true>},
};

}  // namespace

const CliOption* FindCliOption(const std::string& name) {
  const std::string wanted = name == "-h" ? "--help" : name;
  for (const CliOption& option : kOptions) {
    if (wanted == option.name) return &option;
  }
  return nullptr;
}

std::string CliOptionsUsage(OptionGroup group, size_t column) {
  std::string usage;
  for (const CliOption& option : kOptions) {
    if (option.group != group || option.usage == nullptr) continue;
    std::string head = option.shown != nullptr ? option.shown : option.name;
    if (option.shown == nullptr && option.argument != nullptr)
      head += std::string(" ") + option.argument;
    usage += UsageEntry(head, option.usage, column);
  }
  return usage;
}

}  // namespace lumivane::cli
