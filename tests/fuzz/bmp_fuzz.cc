// The BMP decoder: whatever the file holds, it either refuses it or gives
// exactly the pixels its header announces, and never reads past the file.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/picture/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace lumivane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto header = ReadBmpHeader(bytes);
  // A bomb's header alone is read; decoding it is the budget's to refuse.
  if (!header || static_cast<std::uint64_t>(header->width) * header->height > (1u << 22)) return 0;
  const auto picture = DecodeBmp(bytes);
  if (!picture) return 0;
  const size_t bands = picture->header.has_alpha ? 4 : 3;
  if (picture->header.width != header->width || picture->header.height != header->height ||
      picture->pixels.size() != size_t(header->width) * size_t(header->height) * bands) {
    std::abort();
  }
  return 0;
}
