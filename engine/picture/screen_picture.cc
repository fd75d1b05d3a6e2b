#include "engine/picture/screen_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vips/vips8>

#include "engine/picture/imaging_environment.h"
#include "engine/picture/vips_blob.h"
#include "platform/file_system.h"

namespace lumivane {

std::optional<ScreenPicture> ReadForScreen(const std::string& path, int room_width,
                                           int room_height) {
  EnsureImagingEnvironment();
  // A preview is the program's own output: a few megabytes at most.
  constexpr std::uint64_t kLargestFile = 1ull << 30;
  const auto bytes = platform::ReadRegularFile(path, kLargestFile);
  if (!bytes || bytes->empty()) return std::nullopt;
  try {
    const vips::VImage header = vips::VImage::new_from_buffer(*bytes, "");
    const double w = header.width(), h = header.height();
    const double across = std::min(1.0, room_width / w);
    const double whole = std::min(across, room_height / h);
    const double scale =
        whole * 2 >= across ? whole : std::min(across, std::sqrt(kScreenPixels / (w * h)));
    const int width = std::max(1, static_cast<int>(std::floor(w * scale)));
    const int height = std::max(1, static_cast<int>(std::floor(h * scale)));
    const BlobPtr blob = BorrowBlob(*bytes);
    vips::VImage picture = vips::VImage::thumbnail_buffer(
        blob.get(), width,
        vips::VImage::option()->set("height", height)->set("size", VIPS_SIZE_DOWN));
    picture = picture.colourspace(VIPS_INTERPRETATION_sRGB).cast(VIPS_FORMAT_UCHAR);
    if (picture.bands() == 2 || picture.bands() > 4) {
      picture =
          picture.extract_band(0, vips::VImage::option()->set("n", std::min(picture.bands(), 3)));
    }
    ScreenPicture shown{picture.width(), picture.height(), picture.bands(), {}};
    size_t size = 0;
    void* memory = picture.write_to_memory(&size);
    const std::unique_ptr<void, decltype(&g_free)> owned(memory, &g_free);
    shown.pixels.assign(static_cast<const char*>(memory), size);
    return shown;
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

}  // namespace lumivane
