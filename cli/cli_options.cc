#include "cli/cli_options.h"

#include <charconv>
#include <map>
#include <set>

#include "engine/picture/colour.h"

namespace lumivane::cli {
namespace {

std::optional<int> Int(const std::string& s) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<std::pair<std::string, std::string>> Pair(const std::string& s) {
  auto comma = s.find(',');
  if (comma == std::string::npos) return std::nullopt;
  return std::make_pair(s.substr(0, comma), s.substr(comma + 1));
}

// "right,bottom" -> the choice boxes' positions (0 centred, 1 near, 2 far).
std::optional<std::pair<int, int>> Position(const std::string& s) {
  static const std::map<std::string, int> kH = {{"center", 0}, {"left", 1}, {"right", 2}};
  static const std::map<std::string, int> kV = {{"center", 0}, {"top", 1}, {"bottom", 2}};
  auto p = Pair(s);
  if (!p || !kH.count(p->first) || !kV.count(p->second)) return std::nullopt;
  return std::make_pair(kH.at(p->first), kV.at(p->second));
}

const std::set<std::string> kValueOptions = {
    "--source",    "--target",        "--width",          "--quality",      "--rotate",
    "--text",      "--font",          "--font-size",      "--color",        "--opacity",
    "--image",     "--text-position", "--image-position", "--text-margins", "--image-margins",
    "--overwrite", "--workers",       "--preset",         "--shard",        "--manifest"};

// The operation an option names ("--max-kb"), if any.
const OperationField* OperationOption(const std::string& option) {
  for (const OperationField& f : OperationFields()) {
    if (option == std::string("--") + f.option) return &f;
  }
  return nullptr;
}

const char kUsageHead[] =
    "usage: lumivane-batch --source DIR [options]\n"
    "\n"
    "Processes every JPG, JPEG, PNG and BMP picture of DIR into JPEG, PNG or WebP\n"
    "files (--format, JPEG unless given) in the target folder, as the window's\n"
    "start button does. A\n"
    "name that does not end in the format's extension keeps its own and gets the\n"
    "format's after it (a.png -> a.png.jpg, photo.jpg -> photo.jpg.png), so earlier\n"
    "outputs keep their names. Settings that are not given come from config.dat\n"
    "in the program folder: the current folder when it holds config.dat or\n"
    "res.dat, else the window's own ($XDG_DATA_HOME/lumivane) once it was started,\n"
    "where the presets saved in the window are found too. The switches are off\n"
    "unless their option is given (the quality switch is on).\n"
    "\n"
    "  --source DIR            folder of the pictures (required)\n"
    "  --target DIR            where to save them (default: the first of DIR_处理后,\n"
    "                          DIR_处理后2, ... that does not exist yet)\n"
    "  --subfolders            also the pictures of every folder below DIR\n"
    "  --width N               shrink to N pixels wide (1-9999), never enlarge\n"
    "  --quality Q             JPEG quality 50-100 in steps of 5 (default from config.dat)\n"
    "  --rotate DEG            rotate clockwise by 90, 180 or 270 degrees\n"
    "  --text TEXT             print TEXT on every picture\n"
    "  --font NAME             font of the text (e.g. \"WenQuanYi Zen Hei\" for Chinese)\n"
    "  --font-size PT          size of the text in points (8-72)\n"
    "  --color #RRGGBB         colour of the text\n"
    "  --bold, --italic        style of the text (--no-bold, --no-italic: plain)\n"
    "  --opacity P             opacity of the text, 10-100 percent in steps of 10\n"
    "  --text-position H,V     H: left|center|right, V: top|center|bottom\n"
    "  --text-margins X,Y      margins of the text in pixels (0-999)\n"
    "  --image FILE            lay the picture FILE on every picture\n"
    "  --image-position H,V    as --text-position, for the picture watermark\n"
    "  --image-margins X,Y     margins of the picture watermark in pixels (0-999)\n"
    "  --overwrite yes|no|ask  answer to \"overwrite existing outputs?\": yes replaces\n"
    "                          them, no ends the run at the first (default: ask on a\n"
    "                          terminal, else end the run there)\n"
    "  --workers N             pictures processed at once (default: one per core)\n"
    "  --save-settings         store this run's settings into config.dat (otherwise\n"
    "                          the options apply to this run only)\n"
    "\n"
    "Marketplace operations (off unless given):\n";

const char kUsageTail[] =
    "  --preset NAME           a named set of the width and these operations: its\n"
    "                          name, its id (main, detail, thumb), its short name\n"
    "                          (主图, 详情图, 缩略图) or the start of one; also the\n"
    "                          presets saved in the window (presets.dat)\n"
    "  --list-presets          the presets' ids and names\n"
    "\n"
    "Job runners:\n"
    "  --shard K/N             process share K (0 to N-1) of N: shards started anywhere\n"
    "                          with the same source and target share the job out\n"
    "  --skip-done             leave a picture whose last run into this target\n"
    "                          succeeded with the same settings from the same file,\n"
    "                          while all its outputs are there whole\n"
    "  --manifest FILE         add one JSON line per picture to FILE (- for standard\n"
    "                          output): source, outputs, result, bytes, ms; a name's\n"
    "                          bytes that are not UTF-8 are written \\udcXX\n"
    "  --help                  this text\n"
    "\n"
    "Exit codes: 0 every picture processed as asked; 1 refused (a bad setting,\n"
    "config.dat unreadable, or existing outputs not to be overwritten); 2 bad\n"
    "command line; 3 some pictures could not be read or written, a watermark could\n"
    "not be laid, a picture stayed over its --max-kb, or a folder could not be\n"
    "created or listed, or the manifest or the report could not be written;\n"
    "129/130/143 hung up, interrupted or terminated, 141 the manifest's reader\n"
    "closed the pipe (in all four the files being written are removed).\n";

}  // namespace

std::string Usage() { return kUsageHead + OperationsUsage(26) + kUsageTail; }

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error,
                                          const std::vector<Preset>& user_presets) {
  CliOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return std::nullopt;
      }
      return args[++i];
    };
    auto bad = [&](const std::string& why) {
      error = a + ": " + why;
      return std::nullopt;
    };
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--subfolders") {
      o.subfolders = true;
    } else if (a == "--bold" || a == "--no-bold") {
      o.bold = a == "--bold";
    } else if (a == "--italic" || a == "--no-italic") {
      o.italic = a == "--italic";
    } else if (a == "--save-settings") {
      o.save_settings = true;
    } else if (const OperationField* f = OperationOption(a)) {
      bool took_next = false;
      const std::string why =
          f->TakeOption(i + 1 < args.size() ? &args[i + 1] : nullptr, o.operations, took_next);
      if (!why.empty()) return bad(why);
      if (took_next) ++i;
      o.operations_given.push_back(f);
    } else if (a == "--list-presets") {
      o.list_presets = true;
    } else if (a == "--skip-done") {
      o.skip_done = true;
    } else if (!kValueOptions.count(a)) {
      error = "unknown option " + a;
      return std::nullopt;
    } else {
      auto v = value();
      if (!v) return std::nullopt;
      if (a == "--source") {
        o.source = *v;
      } else if (a == "--target") {
        o.target = *v;
      } else if (a == "--width") {
        if (!(o.width = Int(*v))) return bad("not a whole number");
      } else if (a == "--quality") {
        o.quality = Int(*v);
        if (!o.quality || *o.quality < 50 || *o.quality > 100 || *o.quality % 5) {
          return bad("must be 50, 55, ... 100");
        }
      } else if (a == "--rotate") {
        o.rotation = Int(*v);
        if (!o.rotation || (*o.rotation != 90 && *o.rotation != 180 && *o.rotation != 270)) {
          return bad("must be 90, 180 or 270");
        }
      } else if (a == "--text") {
        o.text = *v;
      } else if (a == "--font") {
        o.font = *v;
      } else if (a == "--font-size") {
        o.font_size = Int(*v);
        if (!o.font_size || *o.font_size < kMinFontSize || *o.font_size > kMaxFontSize) {
          return bad("must be " + std::to_string(kMinFontSize) + " to " +
                     std::to_string(kMaxFontSize));
        }
      } else if (a == "--color") {
        if (!IsColourText(*v)) return bad("must be #RRGGBB");
        o.color = *v;
      } else if (a == "--opacity") {
        o.opacity = Int(*v);
        if (!o.opacity || *o.opacity < 10 || *o.opacity > 100 || *o.opacity % 10) {
          return bad("must be 10, 20, ... 100");
        }
      } else if (a == "--text-position" || a == "--image-position") {
        auto p = Position(*v);
        if (!p) return bad("must be H,V with H left|center|right and V top|center|bottom");
        (a == "--text-position" ? o.text_position : o.image_position) = p;
      } else if (a == "--text-margins" || a == "--image-margins") {
        auto p = Pair(*v);
        if (!p) return bad("must be X,Y");
        (a == "--text-margins" ? o.text_margins : o.image_margins) = p;
      } else if (a == "--image") {
        o.image = *v;
      } else if (a == "--overwrite") {
        if (*v == "yes") {
          o.overwrite = OverwriteChoice::kYes;
        } else if (*v == "no") {
          o.overwrite = OverwriteChoice::kNo;
        } else if (*v == "ask") {
          o.overwrite = OverwriteChoice::kAsk;
        } else {
          return bad("must be yes, no or ask");
        }
      } else if (a == "--shard") {
        auto p =
            Pair(v->substr(0, v->find('/')) + "," +
                 (v->find('/') == std::string::npos ? std::string() : v->substr(v->find('/') + 1)));
        auto k = p ? Int(p->first) : std::nullopt;
        auto n = p ? Int(p->second) : std::nullopt;
        if (!k || !n || *n < 1 || *k < 0 || *k >= *n) return bad("must be K/N with 0 <= K < N");
        o.shard_index = *k;
        o.shard_count = *n;
      } else if (a == "--manifest") {
        o.manifest = *v;
      } else if (a == "--preset") {
        o.preset = FindPreset(*v, user_presets);
        if (!o.preset)
          return bad("no such preset, or more than one begins so (see --list-presets)");
      } else if (a == "--workers") {
        auto n = Int(*v);
        if (!n || *n < 1 || *n > 256) return bad("must be 1 to 256");
        o.workers = *n;
      }
    }
  }
  if (!o.help && !o.list_presets && o.source.empty()) {
    error = "--source is required";
    return std::nullopt;
  }
  return o;
}

ExtraOperations ExtraOperationsOf(const CliOptions& o) {
  ExtraOperations e = o.preset ? o.preset->operations : ExtraOperations{};
  for (const OperationField* f : o.operations_given) f->Copy(o.operations, e);
  return e;
}

}  // namespace lumivane::cli
