// Watermark previews: one sample picture of the source folder rendered
// with the basic settings and one watermark into the program folder's
// "temp" folder, then shown with the desktop's picture viewer.
#ifndef LUMIVANE_ENGINE_PREVIEW_H_
#define LUMIVANE_ENGINE_PREVIEW_H_

#include <optional>
#include <string>

#include "engine/extra_operations.h"
#include "engine/processing_settings.h"
#include "engine/window_port.h"

namespace lumivane {

// With the marketplace operations a run applies, so the preview shows what
// a run writes (the first part of a cut picture).
void PreviewTextWatermark(WindowPort& port, ProcessingSettings& settings,
                          const ExtraOperations& extras = {});
void PreviewPictureWatermark(WindowPort& port, ProcessingSettings& settings,
                             const ExtraOperations& extras = {});

// The first picture of the source folder (or, with subfolders, of the
// first folder in listing order that has one). None when there is no
// picture; `listing_failed` tells whether the source folder itself could
// not be read (single-folder mode only).
std::optional<std::string> FindSamplePicture(const std::string& source, bool with_subfolders,
                                             bool& listing_failed);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PREVIEW_H_
