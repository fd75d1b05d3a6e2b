// The HTTP response handling: the same bytes, arriving in any pieces, give
// the same outcome and the same "res.dat" body.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "announce/download.h"
#include "platform/capped_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace lumivane;
  if (size < 1) return 0;
  // The first byte seeds how the rest is cut into pieces.
  unsigned cut = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  platform::CappedBuffer whole(2048), pieces(2048);
  whole.Append(bytes);
  for (size_t at = 0; at < bytes.size();) {
    cut = cut * 1103515245u + 12345u;
    const size_t n = 1 + (cut >> 16) % 97;
    pieces.Append(std::string_view(bytes).substr(at, n));
    at += n;
  }
  const ResponseAction a = InterpretResponse(whole.bytes());
  const ResponseAction b = InterpretResponse(pieces.bytes());
  if (a.kind != b.kind || a.body != b.body || whole.bytes().size() > 2048) std::abort();
  return 0;
}
