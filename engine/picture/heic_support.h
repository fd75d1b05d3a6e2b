// Whether this system's imaging library decodes HEIC, the HEVC-coded
// pictures phones take: the Windows library ships without that decoder.
#ifndef LUMIVANE_ENGINE_PICTURE_HEIC_SUPPORT_H_
#define LUMIVANE_ENGINE_PICTURE_HEIC_SUPPORT_H_

#include <string_view>

namespace lumivane {

// True when the container's brands say its picture is HEVC-coded (HEIC),
// not AV1 (AVIF).
bool IsHevcCoded(std::string_view bytes);

// True when the library here decodes HEVC: tried once, on a sample.
bool SystemDecodesHevc();

// A 64 x 48 red HEIC, made by the HEVC encoder of the Linux library.
std::string_view HevcSample();

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_HEIC_SUPPORT_H_
