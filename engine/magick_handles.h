// Owners for the imaging library's handles: each handle is destroyed
// exactly once, by its owner, whichever way the code leaves.
#ifndef LUMIVANE_ENGINE_MAGICK_HANDLES_H_
#define LUMIVANE_ENGINE_MAGICK_HANDLES_H_

#include <wand/MagickWand.h>

#include <memory>

namespace lumivane {

struct MagickWandDeleter {
  void operator()(MagickWand* w) const { DestroyMagickWand(w); }
};
struct PixelWandDeleter {
  void operator()(PixelWand* w) const { DestroyPixelWand(w); }
};
struct DrawingWandDeleter {
  void operator()(DrawingWand* w) const { DestroyDrawingWand(w); }
};
struct MagickMemoryDeleter {
  void operator()(void* p) const { MagickRelinquishMemory(p); }
};

using MagickWandPtr = std::unique_ptr<MagickWand, MagickWandDeleter>;
using PixelWandPtr = std::unique_ptr<PixelWand, PixelWandDeleter>;
using DrawingWandPtr = std::unique_ptr<DrawingWand, DrawingWandDeleter>;
template <typename T>
using MagickMemoryPtr = std::unique_ptr<T, MagickMemoryDeleter>;

inline MagickWandPtr NewPicture() { return MagickWandPtr(NewMagickWand()); }
inline PixelWandPtr NewColour() { return PixelWandPtr(NewPixelWand()); }
inline DrawingWandPtr NewDrawing() { return DrawingWandPtr(NewDrawingWand()); }

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_MAGICK_HANDLES_H_
