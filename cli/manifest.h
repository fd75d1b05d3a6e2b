// The run manifest: one JSON line per picture, for job runners.
#ifndef LUMIVANE_CLI_MANIFEST_H_
#define LUMIVANE_CLI_MANIFEST_H_

#include <string>

#include "engine/picture/picture_ops.h"

namespace lumivane::cli {

// {"source":…,"outputs":[…],"result":…,"bytes":…,"ms":…} and a line feed.
std::string ManifestLine(const std::string& source, const PictureResult& result);

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_MANIFEST_H_
