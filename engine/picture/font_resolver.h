// Turning a font's face name into the family the text is drawn with.
#ifndef LUMIVANE_ENGINE_PICTURE_FONT_RESOLVER_H_
#define LUMIVANE_ENGINE_PICTURE_FONT_RESOLVER_H_

#include <string>

#include "engine/picture/processing_settings.h"

namespace lumivane {

struct ResolvedFont {
  std::string family;          // as the text layout names it
  bool shows_chinese = false;  // the font itself has the Chinese characters
};

// The well-known Chinese system fonts by their own name where their files
// exist, else the font system's best match for the name with the wanted
// weight and slant (a Chinese font where the name itself is Chinese). The
// face name itself when nothing matches.
ResolvedFont ResolveFont(const std::string& face_name, bool bold = false, bool italic = false);

// True when the font itself has the Chinese characters (its own coverage,
// not what a fallback font would add).
bool FontShowsChinese(const FontChoice& font);

// An installed Chinese face that has every character of `text`; "" when
// there is none.
std::string ChineseFaceFor(const std::string& text);

// `font`, or for a text with Chinese characters it lacks (a Chinese file
// name printed under a Latin face) the installed Chinese face that has
// them all, so the line is drawn in one face, never in boxes.
FontChoice FontShowing(const FontChoice& font, const std::string& text);

// A message that the font cannot show `text`, and which face here can.
std::string ChineseFontMessage(const char* message, const std::string& text);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_FONT_RESOLVER_H_
