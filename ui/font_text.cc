#include "ui/font_text.h"

#include <cstdio>

#include "engine/picture/colour.h"

namespace lumivane::ui {

std::string FontSummaryText(const FontChoice& f) {
  std::string text = "字体:" + f.sy_text_fontName + ", 大小:" + std::to_string(f.sy_text_fontSize) +
                     ", 颜色:" + HtmlColorText(f.sy_text_rgbColors);
  if (f.sy_text_isItalic && f.sy_text_isWeight) {
    text += ", 粗斜体";
  } else if (f.sy_text_isItalic) {
    text += ", 斜体";
  } else if (f.sy_text_isWeight) {
    text += ", 粗体";
  }
  return text;
}

}  // namespace lumivane::ui
