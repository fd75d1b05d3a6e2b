#include "engine/run/run_request.h"

namespace lumivane {
namespace {
// Margins are shown as the signed numbers the settings file holds.
std::string Shown(std::uint32_t margin) {
  return std::to_string(static_cast<std::int32_t>(margin));
}
}  // namespace

UserInputs InputsShowing(const ProcessingSettings& s) {
  UserInputs in;
  in.width = std::to_string(s.width);
  in.quality_on = true;
  in.quality = s.quanlity;
  in.text = s.sy_text;
  in.opacity = s.sy_text_opacity;
  in.text_place = {s.sy_text_w_direction, s.sy_text_h_direction, Shown(s.sy_text_w_value),
                   Shown(s.sy_text_h_value)};
  in.picture = s.sy_image;
  in.picture_place = {s.sy_image_w_direction, s.sy_image_h_direction, Shown(s.sy_image_w_value),
                      Shown(s.sy_image_h_value)};
  return in;
}

const char* FieldName(Field field) {
  switch (field) {
    case Field::kSource:
      return "source";
    case Field::kWidth:
      return "width";
    case Field::kText:
      return "text";
    case Field::kFont:
      return "font";
    case Field::kTextHorizontalMargin:
      return "text_horizontal_margin";
    case Field::kTextVerticalMargin:
      return "text_vertical_margin";
    case Field::kPicture:
      return "picture";
    case Field::kPictureHorizontalMargin:
      return "picture_horizontal_margin";
    case Field::kPictureVerticalMargin:
      return "picture_vertical_margin";
    case Field::kTarget:
      return "target";
  }
  return "?";
}

}  // namespace lumivane
