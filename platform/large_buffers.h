// Large buffers go back to the system when freed. The C library's
// allocator otherwise raises its threshold after the first large block is
// freed, and from then on keeps blocks of up to 32 MB (a picture file, an
// encoded output) in each thread's pool: with many workers that memory
// stays taken long after the pictures are done.
#ifndef LUMIVANE_PLATFORM_LARGE_BUFFERS_H_
#define LUMIVANE_PLATFORM_LARGE_BUFFERS_H_

#include <cstddef>

namespace lumivane::platform {

void ReturnLargeBuffersToSystem();

// Asks the system to back a large buffer not yet written with large pages
// where it can: a decoded photograph is otherwise faulted in a small page
// at a time, which costs about a tenth of a plain job's time.
void PreferLargePages(void* start, std::size_t bytes);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_LARGE_BUFFERS_H_
