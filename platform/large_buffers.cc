#include "platform/large_buffers.h"

#include <cstdlib>  // tells which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace lumivane::platform {

void ReturnLargeBuffersToSystem() {
#if defined(__GLIBC__)
  // A fixed threshold: blocks of 8 MB and more are mapped on their own and
  // unmapped when freed.
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
#endif
}

}  // namespace lumivane::platform
