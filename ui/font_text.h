// Texts that describe the watermark font.
#ifndef LUMIVANE_UI_FONT_TEXT_H_
#define LUMIVANE_UI_FONT_TEXT_H_

#include <cstdint>
#include <string>

#include "engine/picture/processing_settings.h"

namespace lumivane::ui {

// "字体:Arial, 大小:26, 颜色:#000000" and a style suffix.
std::string FontSummaryText(const FontChoice& font);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_FONT_TEXT_H_
