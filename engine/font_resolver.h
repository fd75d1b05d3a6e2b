// Turning a font's face name into what the imaging library is handed.
#ifndef LUMIVANE_ENGINE_FONT_RESOLVER_H_
#define LUMIVANE_ENGINE_FONT_RESOLVER_H_

#include <string>

namespace lumivane {

// A font file for the face name: the fixed table of well-known Chinese
// system fonts where those files exist, else the font system's best match
// for the name with the wanted weight and slant (a Chinese font where the
// name itself is Chinese). The face name itself when nothing matches.
std::string ResolveFontFile(const std::string& face_name, bool bold = false, bool italic = false);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_FONT_RESOLVER_H_
