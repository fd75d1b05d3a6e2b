#include "engine/picture/imaging_environment.h"

#include <vips/vips.h>
// After vips.h: it needs the library's base types.
#include <gmodule.h>
#include <vips/vector.h>

#include <cstdlib>
#include <mutex>

#include "engine/picture/code_generator_lock.h"
#include "platform/large_buffers.h"

namespace lumivane {
namespace {

// The library's HEIF loader, where it comes as a module; it registers
// itself when opened and stays for the process.
void LoadHeifModule() {
#ifdef LUMIVANE_VIPS_MODULES
  if (!g_module_supported()) return;
  if (GModule* module = g_module_open(LUMIVANE_VIPS_MODULES "/vips-heif.so", G_MODULE_BIND_LAZY)) {
    g_module_make_resident(module);
  }
#endif
}

}  // namespace

void EnsureImagingEnvironment() {
  static std::once_flag once;
  std::call_once(once, [] {
#ifndef _WIN32  // the Windows library has every loader inside
    // Not every dynamic module: they would bring other imaging libraries
    // (one of them a whole second one) into the process for formats we
    // never read. The library looks for them below its home, which cannot
    // exist here; the one we read (HEIF, what phones take) is loaded by name.
    setenv("VIPSHOME", "/dev/null/lumivane", 1);
#endif
    VIPS_INIT("lumivane");
    LoadHeifModule();
    // The run's pool is the parallelism: one library thread per picture.
    vips_concurrency_set(1);
    // Nothing of one picture is kept for the next.
    vips_cache_set_max(0);
    platform::ReturnLargeBuffersToSystem();
    vips_leak_set(FALSE);
    // Generated code only where its compiling and freeing are one at a time
    // (from 8.15 on the library's vector code is compiled ahead, no lock needed).
    if (VIPS_MINOR_VERSION < 15 && !CodeGeneratorLocked()) vips_vector_set_enabled(FALSE);
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
