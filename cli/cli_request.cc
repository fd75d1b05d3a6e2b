#include "cli/cli_request.h"

#include <algorithm>

#include "engine/run/folder_scan.h"

namespace lumivane::cli {

RunRequest RequestFrom(const CliOptions& o, ProcessingSettings& settings) {
  RunRequest request;
  UserInputs& in = request.inputs;
  in = InputsShowing(settings);
  in.source = o.source;
  in.target = o.target.empty() ? DefaultTargetFolder(o.source) : o.target;
  in.subfolders = o.subfolders;
  // A preset's width, unless --width says otherwise.
  if (o.preset && o.preset->width > 0 && !o.Gave("width")) {
    in.width_on = true;
    in.width = std::to_string(o.preset->width);
  }
  // Each as the window's control would hold it; the font into the record
  // that keeps it.
  for (const auto& [row, value] : o.basic) row->take(value, in, settings.sy_text_font);
  request.extras = ExtraOperationsOf(o);
  for (const Preset& preset : o.outputs) {
    request.sets.push_back({PresetFolderName(preset), preset.width, ExtraOperationsOf(o, preset)});
  }
  request.workers = o.workers;
  request.shard_index = o.shard_index;
  request.shard_count = o.shard_count;
  request.skip_done = o.skip_done;
  return request;
}

const char* OptionGiving(const CliOptions& o, Field field) {
  for (const auto& [row, value] : o.basic) {
    if (std::find(row->fields.begin(), row->fields.end(), field) != row->fields.end()) {
      return row->option;
    }
  }
  return nullptr;
}

}  // namespace lumivane::cli
