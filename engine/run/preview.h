// Watermark previews: one sample picture of the source folder rendered
// with the basic settings and one watermark into a preview folder (made
// when missing), for the window to show.
#ifndef LUMIVANE_ENGINE_RUN_PREVIEW_H_
#define LUMIVANE_ENGINE_RUN_PREVIEW_H_

#include <optional>
#include <string>

#include "engine/picture/extra_operations.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/run_request.h"
#include "engine/run/window_port.h"

namespace lumivane {

// What a preview made: the picture to show and its window's title (its
// size and bytes), or nothing when a refusal or a failure was told (then
// the input to correct, if any).
struct PreviewOutcome {
  std::optional<Field> refused;
  std::string made;
  std::string title;
};

// With the marketplace operations a run applies and the other mark where
// it is ticked, so the preview shows what a run writes (the first part of
// a cut picture).
PreviewOutcome PreviewTextWatermark(WindowPort& port, ProcessingSettings& settings,
                                    const UserInputs& inputs, const ExtraOperations& extras,
                                    const std::string& folder);
PreviewOutcome PreviewPictureWatermark(WindowPort& port, ProcessingSettings& settings,
                                       const UserInputs& inputs, const ExtraOperations& extras,
                                       const std::string& folder);

// The first picture of the source folder (or, with subfolders, of the
// first folder in listing order that has one). None when there is no
// picture; `listing_failed` tells whether the source folder itself could
// not be read (single-folder mode only).
std::optional<std::string> FindSamplePicture(const std::string& source, bool with_subfolders,
                                             bool& listing_failed);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_PREVIEW_H_
