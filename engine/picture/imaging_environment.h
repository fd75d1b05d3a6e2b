// The imaging library's environment: started once per process, with only
// the loaders the engine uses and no cache between pictures.
#ifndef LUMIVANE_ENGINE_PICTURE_IMAGING_ENVIRONMENT_H_
#define LUMIVANE_ENGINE_PICTURE_IMAGING_ENVIRONMENT_H_

#include <string>

namespace lumivane {

// Safe to call from any thread, any number of times; the first call starts
// the library. The environment lives until the process ends.
void EnsureImagingEnvironment();

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_IMAGING_ENVIRONMENT_H_
