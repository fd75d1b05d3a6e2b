#include "engine/picture/gdi_font.h"

#include <algorithm>
#include <vector>

namespace lumivane {

GdiFont::GdiFont(const std::wstring& face, int size, bool bold, bool italic)
    : dc_(CreateCompatibleDC(nullptr)) {
  LOGFONTW description{};
  description.lfHeight = -size;  // negative: the em size, not the cell's height
  description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  description.lfItalic = italic ? TRUE : FALSE;
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfOutPrecision = OUT_TT_PRECIS;
  description.lfQuality = ANTIALIASED_QUALITY;
  face.copy(description.lfFaceName, LF_FACESIZE - 1);
  font_.reset(CreateFontIndirectW(&description));
  replaced_ = SelectObject(dc_, font_.get());
}

GdiFont::~GdiFont() {
  SelectObject(dc_, replaced_);
  DeleteDC(dc_);
}

std::wstring GdiFont::ChosenFace() const {
  const int n = GetTextFaceW(dc_, 0, nullptr);  // with its terminating null
  std::wstring face(static_cast<size_t>(std::max(n, 1)), L'\0');
  GetTextFaceW(dc_, n, face.data());
  return face.c_str();  // up to that null
}

bool GdiFont::HasGlyphs(std::wstring_view text) const {
  if (text.empty()) return true;
  std::vector<WORD> glyphs(text.size());
  if (GetGlyphIndicesW(dc_, text.data(), static_cast<int>(text.size()), glyphs.data(),
                       GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
    return false;
  }
  for (WORD g : glyphs) {
    if (g == 0xFFFF) return false;
  }
  return true;
}

}  // namespace lumivane
