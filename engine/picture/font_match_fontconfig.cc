// Font matching through fontconfig, the font system of Linux desktops.
#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "engine/picture/font_resolver.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

struct FontTableEntry {
  const char* face;
  const char* file;
};

// Fixed files of the Windows system fonts, used where they exist.
constexpr FontTableEntry kFontTable[] = {
    {"宋体", "C:\\WINDOWS\\Fonts\\SIMSUN.TTC"},
    {"新宋体", "C:\\WINDOWS\\Fonts\\SIMSUN.TTC"},
    {"楷体_GB2312", "C:\\WINDOWS\\Fonts\\SIMKAI.TTF"},
    {"仿宋_GB2312", "C:\\WINDOWS\\Fonts\\SIMFANG.TTF"},
};

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;
struct CharSetDeleter {
  void operator()(FcCharSet* c) const { FcCharSetDestroy(c); }
};
using CharSetPtr = std::unique_ptr<FcCharSet, CharSetDeleter>;

ResolvedFont MatchWithFontconfig(const std::string& face, bool bold, bool italic) {
  PatternPtr pattern(FcPatternCreate());
  if (!pattern) return {face, false};
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  // A Chinese face name that is not installed falls back to a Chinese font.
  if (HasNonAscii(face)) {
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  }
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
  FcChar8* family = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch) {
    return {face, false};
  }
  // The font's own coverage, not what fallback fonts would add.
  FcCharSet* characters = nullptr;
  const bool chinese =
      FcPatternGetCharSet(match.get(), FC_CHARSET, 0, &characters) == FcResultMatch &&
      FcCharSetHasChar(characters, 0x56FD /* 国 */) &&
      FcCharSetHasChar(characters, 0x5B9D /* 宝 */);
  return {reinterpret_cast<const char*>(family), chinese};
}

}  // namespace

ResolvedFont ResolveFont(const std::string& face_name, bool bold, bool italic) {
  for (const auto& entry : kFontTable) {
    if (face_name == entry.face && platform::CanOpenForReading(entry.file))
      return {face_name, true};
  }
  static std::mutex mutex;
  static std::map<std::tuple<std::string, bool, bool>, ResolvedFont> cache;
  std::lock_guard lock(mutex);
  auto key = std::make_tuple(face_name, bold, italic);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  FcInit();
  return cache[key] = MatchWithFontconfig(face_name, bold, italic);
}

namespace {

// Each character of UTF-8 `text` in turn, up to one that is not UTF-8.
template <typename Visit>
void ForEachCharacter(const std::string& text, Visit visit) {
  for (size_t at = 0; at < text.size();) {
    FcChar32 c = 0;
    const int used = FcUtf8ToUcs4(reinterpret_cast<const FcChar8*>(text.data() + at), &c,
                                  static_cast<int>(text.size() - at));
    if (used <= 0) break;
    visit(c);
    at += static_cast<size_t>(used);
  }
}

}  // namespace

std::string ChineseFaceFor(const std::string& text) {
  FcInit();
  PatternPtr pattern(FcPatternCreate());
  CharSetPtr wanted(FcCharSetCreate());
  if (!pattern || !wanted) return "";
  FcCharSetAddChar(wanted.get(), 0x5B9D /* 宝 */);  // a Chinese face, whatever the text
  ForEachCharacter(text, [&](FcChar32 c) {
    if (c > 0x7F) FcCharSetAddChar(wanted.get(), c);
  });
  FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted.get());
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
  FcChar8* family = nullptr;
  FcCharSet* has = nullptr;  // the match's own, freed with it
  if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch ||
      FcPatternGetCharSet(match.get(), FC_CHARSET, 0, &has) != FcResultMatch ||
      !FcCharSetIsSubset(wanted.get(), has)) {
    return "";
  }
  return reinterpret_cast<const char*>(family);
}

}  // namespace lumivane
