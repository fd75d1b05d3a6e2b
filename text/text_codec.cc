#include "text/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

namespace lumivane {
namespace {

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};

// With `replacement` empty, an invalid sequence fails the whole conversion.
std::optional<std::string> Convert(std::string_view in, const char* to, const char* from,
                                   std::string_view replacement) {
  iconv_t raw = iconv_open(to, from);
  if (raw == reinterpret_cast<iconv_t>(-1)) {
    std::puts("iconv error");
    return std::string(in);
  }
  std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser> cd(raw);
  std::string out;
  out.reserve(in.size() * 2);
  char buffer[4096];
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  while (src_left > 0) {
    char* dst = buffer;
    size_t dst_left = sizeof(buffer);
    size_t r = iconv(cd.get(), &src, &src_left, &dst, &dst_left);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: mark it and go on with the next byte.
      if (replacement.empty()) return std::nullopt;
      out.append(replacement);
      ++src;
      --src_left;
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  return *Convert(gbk, "UTF-8", "GB18030", "\xEF\xBF\xBD");
}

std::string Utf8ToGbk(std::string_view utf8) { return *Convert(utf8, "GB18030", "UTF-8", "?"); }

std::optional<std::string> GbkToUtf8Exactly(std::string_view gbk) {
  return Convert(gbk, "UTF-8", "GB18030", "");
}

std::optional<std::string> Utf8ToGbkExactly(std::string_view utf8) {
  return Convert(utf8, "GB18030", "UTF-8", "");
}

}  // namespace lumivane
