#include "engine/picture/imaging_environment.h"

#include <vips/vips.h>
// After vips.h: it needs the library's base types.
#include <vips/vector.h>

#include <cstdlib>
#include <mutex>

#include "engine/picture/code_generator_lock.h"
#include "platform/large_buffers.h"

namespace lumivane {

void EnsureImagingEnvironment() {
  static std::once_flag once;
  std::call_once(once, [] {
    // No dynamic modules: they would bring other imaging libraries (one of
    // them a whole second one) into the process for formats we never read.
    // The library looks for them below its home, which cannot exist here.
    setenv("VIPSHOME", "/dev/null/lumivane", 1);
    VIPS_INIT("lumivane");
    // The run's pool is the parallelism: one library thread per picture.
    vips_concurrency_set(1);
    // Nothing of one picture is kept for the next.
    vips_cache_set_max(0);
    platform::ReturnLargeBuffersToSystem();
    vips_leak_set(FALSE);
    // Generated code only where its compiling and freeing are one at a time.
    if (!CodeGeneratorLocked()) vips_vector_set_enabled(FALSE);
    // A damaged picture is reported once, as the run's own log line; the
    // library's running commentary on it would only repeat that.
    g_log_set_handler(
        "VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
        [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    // Pictures are decoded only by the loaders the engine names; every
    // other loader (and with it every file format we did not choose) is
    // out of reach, whatever the bytes claim.
    vips_operation_block_set("VipsForeignLoad", TRUE);
    vips_operation_block_set("VipsForeignLoadJpegBuffer", FALSE);
    vips_operation_block_set("VipsForeignLoadPngBuffer", FALSE);
    for (const char* loader :
         {"VipsForeignLoadJpegBuffer", "VipsForeignLoadPngBuffer", "VipsForeignLoadNsgifBuffer",
          "VipsForeignLoadWebpBuffer", "VipsForeignLoadTiffBuffer", "VipsForeignLoadHeifBuffer"}) {
      vips_operation_block_set(loader, FALSE);
    }
  });
}

}  // namespace lumivane
