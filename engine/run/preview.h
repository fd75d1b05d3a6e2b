// Watermark previews: one sample picture of the source folder rendered
// with the basic settings and one watermark into a preview folder (made
// when missing), then shown with the desktop's picture viewer.
#ifndef LUMIVANE_ENGINE_RUN_PREVIEW_H_
#define LUMIVANE_ENGINE_RUN_PREVIEW_H_

#include <optional>
#include <string>

#include "engine/picture/extra_operations.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

// With the marketplace operations a run applies and the other mark where
// it is ticked, so the preview shows what a run writes (the first part of
// a cut picture). Returns the input to correct when one was refused.
std::optional<Field> PreviewTextWatermark(WindowPort& port, ProcessingSettings& settings,
                                          const UserInputs& inputs, const ExtraOperations& extras,
                                          const std::string& folder);
std::optional<Field> PreviewPictureWatermark(WindowPort& port, ProcessingSettings& settings,
                                             const UserInputs& inputs,
                                             const ExtraOperations& extras,
                                             const std::string& folder);

// The first picture of the source folder (or, with subfolders, of the
// first folder in listing order that has one). None when there is no
// picture; `listing_failed` tells whether the source folder itself could
// not be read (single-folder mode only).
std::optional<std::string> FindSamplePicture(const std::string& source, bool with_subfolders,
                                             bool& listing_failed);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_PREVIEW_H_
