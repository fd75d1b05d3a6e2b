// What the window's own settings tell the steps of one picture, read
// before it is processed; without the imaging library, so that the rows
// that set them need none.
#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_SWITCHES_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_SWITCHES_H_

#include <string>

namespace lumivane {

// The window's switches, read before the picture is processed.
struct PictureSwitches {
  bool width = false;
  bool quality = false;
  int rotation = 0;  // degrees clockwise: 90, 180 or 270; 0 for none
  bool text_watermark = false;
  bool picture_watermark = false;

  // An output's width may be its source's height.
  bool TurnsSideways() const { return rotation % 180 != 0; }
  // Every switch, for the key that tells whether an output is still done.
  std::string KeyText() const {
    std::string text;
    for (int v :
         {int{width}, int{quality}, rotation, int{text_watermark}, int{picture_watermark}}) {
      text += std::to_string(v) + ",";
    }
    return text;
  }
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_SWITCHES_H_
