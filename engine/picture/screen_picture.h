// A written picture as the screen shows it: any format the program writes,
// any height, brought to the screen's room by the imaging library, so a
// window can show what no image plugin of its own reads.
#ifndef LUMIVANE_ENGINE_PICTURE_SCREEN_PICTURE_H_
#define LUMIVANE_ENGINE_PICTURE_SCREEN_PICTURE_H_

#include <optional>
#include <string>

namespace lumivane {

struct ScreenPicture {
  int width = 0, height = 0;
  int bands = 3;       // 3: RGB, 4: RGB and transparency
  std::string pixels;  // rows top to bottom, 8 bits a sample, no padding
};

// The most pixels a preview keeps: a page 800 x 55200 is shown at about
// 540 x 37000, to be scrolled.
inline constexpr long long kScreenPixels = 20'000'000;

// `path` whole within `room_width` x `room_height`, never enlarged; a page
// that would then be less than half as wide as the room allows is brought
// to the width only, within kScreenPixels, to be scrolled. None when it
// cannot be read.
std::optional<ScreenPicture> ReadForScreen(const std::string& path, int room_width,
                                           int room_height);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_SCREEN_PICTURE_H_
