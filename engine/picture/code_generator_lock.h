// The imaging library compiles small programs at run time for its fastest
// paths, with a code generator that keeps the memory of the compiled code
// in lists it changes without a lock: pictures shrunk on several threads at
// once corrupted the heap. The generator's compile and free calls are taken
// here (a program's own functions come before those of its libraries) and
// made one at a time; the compiled code itself runs on every thread.
#ifndef LUMIVANE_ENGINE_PICTURE_CODE_GENERATOR_LOCK_H_
#define LUMIVANE_ENGINE_PICTURE_CODE_GENERATOR_LOCK_H_

namespace lumivane {

// True when the library's calls reach the lock. Where they do not, the
// imaging environment turns the generated code off instead.
bool CodeGeneratorLocked();

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_CODE_GENERATOR_LOCK_H_
