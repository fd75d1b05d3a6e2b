#include "cli/cli_request.h"

#include "engine/picture/colour.h"
#include "engine/run/folder_scan.h"

namespace lumivane::cli {
namespace {

void ApplyFont(const CliOptions& o, FontChoice& f) {
  if (o.font) f.sy_text_fontName = *o.font;
  if (o.font_size) f.sy_text_fontSize = *o.font_size;
  if (const auto rgb = o.color ? ParseHtmlColour(*o.color) : std::nullopt) {
    f.sy_text_rgbColors = BgrOf(*rgb);
  }
  if (o.bold) f.sy_text_isWeight = *o.bold ? 1 : 0;
  if (o.italic) f.sy_text_isItalic = *o.italic ? 1 : 0;
}

void ApplyPlace(const std::optional<std::pair<int, int>>& position,
                const std::optional<std::pair<std::string, std::string>>& margins,
                MarkPlace& place) {
  if (position) std::tie(place.horizontal, place.vertical) = *position;
  if (margins) std::tie(place.horizontal_margin, place.vertical_margin) = *margins;
}

}  // namespace

RunRequest RequestFrom(const CliOptions& o, ProcessingSettings& settings) {
  RunRequest request;
  UserInputs& in = request.inputs;
  in = InputsShowing(settings);
  in.source = o.source;
  in.target = o.target.empty() ? DefaultTargetFolder(o.source) : o.target;
  in.subfolders = o.subfolders;
  // A preset's width, unless --width says otherwise.
  if (auto width = o.width                           ? o.width
                   : o.preset && o.preset->width > 0 ? std::to_string(o.preset->width)
                                                     : std::optional<std::string>()) {
    in.width_on = true;
    in.width = *width;
  }
  if (o.quality) in.quality = *o.quality;
  if (o.rotation) {
    in.rotation_on = true;
    in.rotation = *o.rotation;
  }
  if (o.text) {
    in.text_mark = true;
    in.text = *o.text;
  }
  ApplyFont(o, settings.sy_text_font);
  if (o.opacity) in.opacity = *o.opacity;
  ApplyPlace(o.text_position, o.text_margins, in.text_place);
  if (o.image) {
    in.picture_mark = true;
    in.picture = *o.image;
  }
  ApplyPlace(o.image_position, o.image_margins, in.picture_place);
  request.extras = ExtraOperationsOf(o);
  request.workers = o.workers;
  request.shard_index = o.shard_index;
  request.shard_count = o.shard_count;
  request.skip_done = o.skip_done;
  return request;
}

const char* OptionGiving(const CliOptions& o, Field field) {
  switch (field) {
    case Field::kWidth:
      return o.width ? "--width" : nullptr;
    case Field::kText:
      return o.text ? "--text" : nullptr;
    case Field::kTextHorizontalMargin:
    case Field::kTextVerticalMargin:
      return o.text_margins ? "--text-margins" : nullptr;
    case Field::kPictureHorizontalMargin:
    case Field::kPictureVerticalMargin:
      return o.image_margins ? "--image-margins" : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace lumivane::cli
