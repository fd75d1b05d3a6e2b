#include "cli/option_table.h"

#include <algorithm>
#include <map>
#include <optional>

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

const std::vector<CliOption> kOptions = {
    {"--source", "DIR", OptionGroup::kFolders, "folder of the pictures (required)",
     Store<&CliOptions::source>},
    {"--target", "DIR", OptionGroup::kFolders,
     "where to save them (default: the first of DIR_处理后, DIR_处理后2, ... that does not "
     "exist yet)",
     Store<&CliOptions::target>},
    {"--subfolders", nullptr, OptionGroup::kFolders, "also the pictures of every folder below DIR",
     Set<&CliOptions::subfolders, true>},
    {"--overwrite", "yes|no|ask", OptionGroup::kRun,
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
    {"--workers", "N", OptionGroup::kRun, "pictures processed at once (default: one per core)",
     [](const std::string& v, CliOptions& o, const Presets&) {
       const auto n = Bounded(v, 1, 256);
       if (!n) return std::string("must be 1 to 256");
       o.workers = *n;
       return std::string();
     }},
    {"--save-settings", nullptr, OptionGroup::kRun,
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
    {"--outputs", "NAME,NAME...", OptionGroup::kPresets,
     "several presets (as --preset names them) from one reading of each picture: each "
     "preset's outputs go into a folder of the target named after it (主图/, 详情图/, ...); "
     "the other options apply to every one; one report, a row per output",
     [](const std::string& v, CliOptions& o, const Presets& user) {
       o.outputs.clear();
       for (size_t from = 0; from <= v.size();) {
         const size_t comma = std::min(v.find(',', from), v.size());
         const std::string name = TrimSpaces(std::string_view(v).substr(from, comma - from));
         const auto preset = FindPreset(name, user);
         if (name.empty() || !preset) {
           return "no preset \"" + name + "\", or more than one begins so (see --list-presets)";
         }
         o.outputs.push_back(*preset);
         from = comma + 1;
       }
       if (o.outputs.size() < 2) return std::string("names two presets or more");
       return std::string();
     }},
    {"--list-presets", nullptr, OptionGroup::kPresets, "the presets' ids and names",
     Set<&CliOptions::list_presets, true>},
    {"--shard", "K/N", OptionGroup::kJobs,
     "process share K (0 to N-1) of N: shards started anywhere with the same source and target "
     "share the job out",
     [](const std::string& v, CliOptions& o, const Presets&) {
       const auto p = SplitOnce(v, '/');
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
    {"--watch", nullptr, OptionGroup::kJobs,
     "then watch the source: every picture that arrives or changes is processed once nothing "
     "in the folder has changed for two seconds, into the same target with the same journal, "
     "log and report, a changed picture's outputs replaced; Ctrl+C ends it, and started again "
     "it goes on where it was (as with --skip-done)",
     [](const std::string&, CliOptions& o, const Presets&) {
       o.watch = o.skip_done = true;
       return std::string();
     }},
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
