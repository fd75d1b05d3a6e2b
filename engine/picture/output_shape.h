// The size the operations give a picture and the parts they cut it into,
// known from the file's header before the picture is decoded, so that a
// run can name every output (and ask about the ones that exist) first.
#ifndef LUMIVANE_ENGINE_PICTURE_OUTPUT_SHAPE_H_
#define LUMIVANE_ENGINE_PICTURE_OUTPUT_SHAPE_H_

#include <optional>
#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_result.h"
#include "engine/picture/processing_settings.h"

namespace lumivane {

// The upright size a JPEG, PNG or BMP file's header tells; none for other
// formats or a header that does not read.
std::optional<PictureSize> HeaderSize(const std::string& path);

// What the operations make of a picture of upright size `original`, step
// by step as a run makes it; none where it depends on the pixels (a
// trimmed product that no square canvas of a set width holds).
std::optional<OutputShape> PlannedShape(PictureSize original, const ProcessingSettings& settings,
                                        const PictureSwitches& switches,
                                        const ExtraOperations& extras);

// The same for the picture in the file at `path`, from its header.
std::optional<OutputShape> ForetoldShape(const std::string& path,
                                         const ProcessingSettings& settings,
                                         const PictureSwitches& switches,
                                         const ExtraOperations& extras);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_OUTPUT_SHAPE_H_
