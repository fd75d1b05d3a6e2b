// What the window's own settings tell the steps of one picture, read
// before it is processed; without the imaging library, so that the rows
// that set them need none.
#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_SWITCHES_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_SWITCHES_H_

namespace lumivane {

// The window's switches, read before the picture is processed.
struct PictureSwitches {
  bool width = false;
  bool quality = false;
  int rotation = 0;  // degrees clockwise: 90, 180 or 270; 0 for none
  bool text_watermark = false;
  bool picture_watermark = false;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_SWITCHES_H_
