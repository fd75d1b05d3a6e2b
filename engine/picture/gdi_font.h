// A font of the Windows font system chosen into a drawing context of its
// own, for measuring and drawing text.
#ifndef LUMIVANE_ENGINE_PICTURE_GDI_FONT_H_
#define LUMIVANE_ENGINE_PICTURE_GDI_FONT_H_

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace lumivane {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using GdiObject = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiObjectDeleter>;

class GdiFont {
 public:
  // `size`: the em size in pixels. The face name is cut to the 31
  // characters the system takes.
  GdiFont(const std::wstring& face, int size, bool bold, bool italic);
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;
  ~GdiFont();

  HDC dc() const { return dc_; }
  // The face the system chose (another one when `face` is not installed).
  std::wstring ChosenFace() const;
  // True when the font itself has a glyph for every character of `text`.
  bool HasGlyphs(std::wstring_view text) const;

 private:
  HDC dc_;
  GdiObject font_;
  HGDIOBJ replaced_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_GDI_FONT_H_
