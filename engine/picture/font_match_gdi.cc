// Font matching through the Windows font system.
#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <vector>

#include "engine/picture/font_resolver.h"
#include "engine/picture/gdi_font.h"
#include "platform/windows/wide_text.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

constexpr wchar_t kChineseSample[] = L"国宝";
constexpr int kMeasureSize = 32;

// The Chinese faces Windows ships, most wanted first.
constexpr const wchar_t* kKnownChineseFaces[] = {
    L"微软雅黑", L"Microsoft YaHei", L"宋体",    L"SimSun", L"黑体",  L"SimHei", L"等线",
    L"DengXian", L"新宋体",          L"NSimSun", L"楷体",   L"KaiTi", L"仿宋",   L"FangSong"};

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM faces) {
  // Scalable faces only, and not the ones turned on their side ("@宋体").
  if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != L'@') {
    reinterpret_cast<std::vector<std::wstring>*>(faces)->push_back(font->lfFaceName);
  }
  return 1;
}

// Every installed face that says it has the Chinese characters: the known
// ones first, then the others by name.
const std::vector<std::wstring>& ChineseFaces() {
  static const std::vector<std::wstring> faces = [] {
    std::vector<std::wstring> found;
    HDC dc = GetDC(nullptr);
    LOGFONTW wanted{};
    wanted.lfCharSet = GB2312_CHARSET;
    EnumFontFamiliesExW(dc, &wanted, CollectFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    const std::set<std::wstring> installed(found.begin(), found.end());
    std::vector<std::wstring> ordered;
    for (const wchar_t* face : kKnownChineseFaces) {
      if (installed.count(face)) ordered.push_back(face);
    }
    for (const std::wstring& face : installed) {
      if (std::find(ordered.begin(), ordered.end(), face) == ordered.end()) ordered.push_back(face);
    }
    return ordered;
  }();
  return faces;
}

}  // namespace

ResolvedFont ResolveFont(const std::string& face_name, bool bold, bool italic) {
  static std::mutex mutex;
  static std::map<std::tuple<std::string, bool, bool>, ResolvedFont> cache;
  std::lock_guard lock(mutex);
  auto key = std::make_tuple(face_name, bold, italic);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  const GdiFont font(platform::Wide(face_name), kMeasureSize, bold, italic);
  std::string family = platform::Utf8(font.ChosenFace());
  bool chinese = font.HasGlyphs(kChineseSample);
  // A Chinese face name that is not installed falls back to a Chinese font.
  if (AsciiLower(family) != AsciiLower(face_name) && HasNonAscii(face_name) && !chinese &&
      !ChineseFaces().empty()) {
    family = platform::Utf8(ChineseFaces().front());
    chinese = true;
  }
  return cache[key] = ResolvedFont{family, chinese};
}

std::string ChineseFaceFor(const std::string& text) {
  std::wstring wanted = kChineseSample;  // a Chinese face, whatever the text
  for (wchar_t c : platform::Wide(text)) {
    if (c > 0x7F) wanted += c;
  }
  for (const std::wstring& face : ChineseFaces()) {
    if (GdiFont(face, kMeasureSize, false, false).HasGlyphs(wanted)) return platform::Utf8(face);
  }
  return "";
}

}  // namespace lumivane
