// The GBK conversion through the system's code pages: GB18030 where the
// system has it, else GBK itself (characters outside it then do not fit).
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "text/text_codec.h"

namespace lumivane {
namespace {

UINT GbkPage() {
  static const UINT page = IsValidCodePage(54936) ? 54936 : 936;
  return page;
}

std::optional<std::wstring> ToWide(std::string_view in, UINT page) {
  if (in.empty()) return std::wstring();
  const int size = static_cast<int>(in.size());
  const int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), size, out.data(), n);
  return out;
}

std::optional<std::string> FromWide(std::wstring_view in, UINT page) {
  if (in.empty()) return std::string();
  const int size = static_cast<int>(in.size());
  // Neither UTF-8 nor GB18030 takes a stand-in character: every character
  // fits those; for GBK one that does not is told by the stand-in used.
  BOOL lost = FALSE;
  BOOL* told = page == CP_UTF8 || page == 54936 ? nullptr : &lost;
  const DWORD flags = told ? WC_NO_BEST_FIT_CHARS : 0;
  const int n = WideCharToMultiByte(page, flags, in.data(), size, nullptr, 0, nullptr, told);
  if (n <= 0 || lost) return std::nullopt;
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(page, flags, in.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::optional<std::string> Convert(std::string_view in, UINT from, UINT to) {
  auto wide = ToWide(in, from);
  if (!wide) return std::nullopt;
  return FromWide(*wide, to);
}

// Character by character: a sequence that does not convert becomes
// `replacement` and the next byte is tried.
std::string ConvertLeniently(std::string_view in, UINT from, UINT to,
                             std::string_view replacement) {
  if (auto whole = Convert(in, from, to)) return *whole;
  std::string out;
  while (!in.empty()) {
    bool done = false;
    for (size_t length : {1, 2, 3, 4}) {
      if (length > in.size()) break;
      if (auto piece = Convert(in.substr(0, length), from, to)) {
        out += *piece;
        in.remove_prefix(length);
        done = true;
        break;
      }
    }
    if (!done) {
      out += replacement;
      in.remove_prefix(1);
    }
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  return ConvertLeniently(gbk, GbkPage(), CP_UTF8, "\xEF\xBF\xBD");
}

std::string Utf8ToGbk(std::string_view utf8) {
  return ConvertLeniently(utf8, CP_UTF8, GbkPage(), "?");
}

std::optional<std::string> GbkToUtf8Exactly(std::string_view gbk) {
  return Convert(gbk, GbkPage(), CP_UTF8);
}

std::optional<std::string> Utf8ToGbkExactly(std::string_view utf8) {
  return Convert(utf8, CP_UTF8, GbkPage());
}

}  // namespace lumivane
