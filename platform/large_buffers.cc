#include "platform/large_buffers.h"

#include <cstdlib>  // tells which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace lumivane::platform {

void ReturnLargeBuffersToSystem() {
#if defined(__GLIBC__)
  // A fixed threshold: blocks of 8 MB and more are mapped on their own and
  // unmapped when freed.
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
  // Smaller blocks freed stay with their thread up to as much: each
  // picture's working arrays would otherwise be given back and faulted in
  // again for the next (a third of the time a trim takes).
  mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
}

void PreferLargePages(void* start, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto from = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
  const auto to = (reinterpret_cast<std::uintptr_t>(start) + bytes) / page * page;
  // Only a hint: where the system has no large pages the buffer stays as it is.
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

}  // namespace lumivane::platform
