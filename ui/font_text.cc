#include "ui/font_text.h"

#include <cstdio>

#include "engine/folder_scan.h"

namespace lumivane::ui {

std::string HtmlColorText(std::uint32_t c) {
  char text[8];
  std::snprintf(text, sizeof(text), "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return text;
}

std::string FontSummaryText(const FontChoice& f) {
  std::string text = "字体:" + f.sy_text_fontName + ", 大小:" + std::to_string(f.sy_text_fontSize) +
                     ", 颜色:" + f.sy_text_htmlColor;
  if (f.sy_text_isItalic && f.sy_text_isWeight) {
    text += ", 粗斜体";
  } else if (f.sy_text_isItalic) {
    text += ", 斜体";
  } else if (f.sy_text_isWeight) {
    text += ", 粗体";
  }
  return text;
}

std::string DefaultTargetFolder(const std::string& source) {
  const std::string base = source + "_处理后";
  std::string candidate = base;
  for (int n = 2; IsDirectory(candidate); ++n) candidate = base + std::to_string(n);
  return candidate;
}

}  // namespace lumivane::ui
