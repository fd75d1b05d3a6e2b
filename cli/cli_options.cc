#include "cli/cli_options.h"

#include <set>

#include "cli/option_table.h"
#include "engine/picture/size_rule.h"

namespace lumivane::cli {
namespace {

// The operation an option names ("--max-kb"), if any.
const OperationField* OperationOption(const std::string& option) {
  for (const OperationField& f : OperationFields()) {
    if (option == std::string("--") + f.option) return &f;
  }
  return nullptr;
}

// Where the window keeps its own program folder.
#ifdef _WIN32
#define LUMIVANE_USER_FOLDER "%APPDATA%\\lumivane"
#else
#define LUMIVANE_USER_FOLDER "$XDG_DATA_HOME/lumivane"
#endif

const char kUsageHead[] =
    "usage: lumivane-batch --source DIR [options]\n"
    "\n"
    "Processes every JPG, JPEG, JFIF, JPE, PNG, BMP, HEIC, HEIF, WebP, AVIF, TIF,\n"
    "TIFF and GIF (its first frame) picture of DIR into JPEG, PNG or WebP files\n"
    "(--format, JPEG unless given) in the target folder, as the window's start\n"
    "button does; other files, and folders whose names start with a dot, are\n"
    "counted in the log. A name that does not end in the format's\n"
    "extension keeps its own and gets the format's after it (a.heic -> a.heic.jpg,\n"
    "photo.jpg -> photo.jpg.png), so earlier outputs keep their names. Settings that\n"
    "are not given come from config.dat in the program folder: the current folder\n"
    "when it holds config.dat or res.dat, else the window's own\n"
    "(" LUMIVANE_USER_FOLDER
    ") once it was started, where the presets saved in the\n"
    "window are found too. The switches are off unless their option is given (the\n"
    "quality switch is on).\n"
    "\n";

const char kExitCodes[] =
    "Exit codes: 0 every picture processed as asked; 1 refused (a setting from\n"
    "config.dat the run cannot use, config.dat unreadable, a folder, or existing\n"
    "outputs not to be overwritten); 2 a wrong command line (an option's value,\n"
    "options that cannot go together, an option given twice); 3 some pictures\n"
    "could not be read or written, a watermark could not be laid, a picture\n"
    "stayed over its --max-kb, a page left a picture out, a folder (the target\n"
    "too) could not be created or listed, or the manifest or the report could\n"
    "not be opened or written; 129/130/143 hung up,\n"
    "interrupted or terminated, 141 the manifest's reader closed the pipe (in all\n"
    "four the files being written are removed). Hung up, interrupted or\n"
    "terminated, the run first finishes the pictures in hand and writes its\n"
    "report and manifest lines for every picture; a second signal ends it at once.\n";

}  // namespace

std::string Usage() {
  return kUsageHead + CliOptionsUsage(OptionGroup::kFolders, 26) + BasicRowsUsage(26) +
         CliOptionsUsage(OptionGroup::kRun, 26) + "\nMarketplace operations (off unless given):\n" +
         OperationsUsage(26) + CliOptionsUsage(OptionGroup::kPresets, 26) + "\nJob runners:\n" +
         CliOptionsUsage(OptionGroup::kJobs, 26) + "\n" + kExitCodes;
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error,
                                          const std::vector<Preset>& user_presets) {
  CliOptions o;
  std::set<std::string> given;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // Twice, one would silently win: which was meant is not known.
    if (a.starts_with("--") && !given.insert(a).second) {
      error = a + " is given twice";
      return std::nullopt;
    }
    if (const OperationField* f = OperationOption(a)) {
      bool took_next = false;
      const std::string why =
          f->TakeOption(i + 1 < args.size() ? &args[i + 1] : nullptr, o.operations, took_next);
      if (!why.empty()) {
        error = a + ": " + why;
        return std::nullopt;
      }
      if (took_next) ++i;
      o.operations_given.push_back(f);
      continue;
    }
    if (const BasicRow* row = FindBasicRow(a)) {
      std::string value;
      if (row->argument[0] != '\0') {
        if (i + 1 >= args.size()) {
          error = a + " needs a value";
          return std::nullopt;
        }
        value = args[++i];
      }
      // Its form is told now; the run's checks decide what it says.
      UserInputs inputs;
      FontChoice font;
      if (const std::string why = row->take(value, inputs, font); !why.empty()) {
        error = a + ": " + why;
        return std::nullopt;
      }
      o.basic.emplace_back(row, value);
      continue;
    }
    const CliOption* option = FindCliOption(a);
    if (option == nullptr) {
      error = "unknown option " + a;
      return std::nullopt;
    }
    std::string value;
    if (option->argument != nullptr) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (const std::string why = option->take(value, o, user_presets); !why.empty()) {
      error = a + ": " + why;
      return std::nullopt;
    }
  }
  // One size at a time: the operations' sizes take the window's width's
  // place, which on the command line is asked for by name.
  if (o.Gave("width") && SizeRuleOf(0, ExtraOperationsOf(o)).Any()) {
    error = "--width cannot be given with --height, --long-side, --box or --size";
    return std::nullopt;
  }
  if (!o.outputs.empty()) {
    // Each preset brings its own size: one given beside them would be
    // every set's, and they would differ only in name.
    const bool sized = o.Gave("width") || SizeRuleOf(0, ExtraOperationsOf(o, std::nullopt)).Any();
    if (o.preset || sized) {
      error = "--outputs cannot be given with --preset, --width or a size option";
      return std::nullopt;
    }
    std::set<std::string> names;
    for (const Preset& p : o.outputs) {
      const std::string name = PresetFolderName(p);
      if (!names.insert(name).second) {
        error = "--outputs names \"" + name + "\" twice";
        return std::nullopt;
      }
    }
  }
  // What the run would refuse, refused here with the options named (for
  // each preset of --outputs, named).
  std::vector<std::optional<Preset>> sets(o.outputs.begin(), o.outputs.end());
  if (sets.empty()) sets.push_back(o.preset);
  for (const std::optional<Preset>& set : sets) {
    const std::string in = o.outputs.empty() ? "" : " (" + PresetFolderName(*set) + ")";
    const ExtraOperations asked = ExtraOperationsOf(o, set);
    if (const std::string conflict = ConflictingOptions(asked); !conflict.empty()) {
      error = conflict + in;
      return std::nullopt;
    }
    // An option that tunes another does nothing alone: say so rather than
    // log it as done.
    for (const OperationField* f : o.operations_given) {
      const std::string missing = f->IsOn(asked) ? f->Missing(asked) : "";
      if (!missing.empty()) {
        error = std::string("--") + f->option + " works only with " + missing + in;
        return std::nullopt;
      }
    }
  }
  if (!o.help && !o.list_presets && o.source.empty()) {
    error = "--source is required";
    return std::nullopt;
  }
  return o;
}

bool CliOptions::Gave(std::string_view option) const {
  for (const auto& [row, value] : basic) {
    if (option == row->option) return true;
  }
  return false;
}

ExtraOperations ExtraOperationsOf(const CliOptions& o) { return ExtraOperationsOf(o, o.preset); }

ExtraOperations ExtraOperationsOf(const CliOptions& o, const std::optional<Preset>& preset) {
  ExtraOperations e = preset ? preset->operations : ExtraOperations{};
  for (const OperationField* f : o.operations_given) f->Copy(o.operations, e);
  return e;
}

}  // namespace lumivane::cli
