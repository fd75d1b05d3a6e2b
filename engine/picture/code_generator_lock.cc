#include "engine/picture/code_generator_lock.h"

#if defined(__linux__)

#include <dlfcn.h>

#include <mutex>

namespace {

std::mutex generator_mutex;

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The library's own declarations are not included: only these two entry
// points are taken, with the library's argument and result types.
extern "C" int orc_program_compile(void* program) {
  static const auto next = Next<int (*)(void*)>("orc_program_compile");
  std::lock_guard lock(generator_mutex);
  return next(program);
}

extern "C" void orc_program_free(void* program) {
  static const auto next = Next<void (*)(void*)>("orc_program_free");
  std::lock_guard lock(generator_mutex);
  next(program);
}

namespace lumivane {

bool CodeGeneratorLocked() {
  // The library finds these functions where dlsym finds them first.
  return dlsym(RTLD_DEFAULT, "orc_program_compile") ==
             reinterpret_cast<void*>(&orc_program_compile) &&
         dlsym(RTLD_DEFAULT, "orc_program_free") == reinterpret_cast<void*>(&orc_program_free) &&
         dlsym(RTLD_NEXT, "orc_program_compile") != nullptr;
}

}  // namespace lumivane

#else

namespace lumivane {

bool CodeGeneratorLocked() { return false; }

}  // namespace lumivane

#endif
