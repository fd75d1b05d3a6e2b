// The imaging library's byte buffers, owned: released with their owner.
#ifndef LUMIVANE_ENGINE_PICTURE_VIPS_BLOB_H_
#define LUMIVANE_ENGINE_PICTURE_VIPS_BLOB_H_

#include <memory>
#include <string>
#include <string_view>
#include <vips/vips8>

namespace lumivane {

struct BlobUnref {
  void operator()(VipsBlob* blob) const { vips_area_unref(reinterpret_cast<VipsArea*>(blob)); }
};
using BlobPtr = std::unique_ptr<VipsBlob, BlobUnref>;

// `bytes` as the library's buffer, without a copy: they must outlive every
// image made from it.
inline BlobPtr BorrowBlob(std::string_view bytes) {
  return BlobPtr(vips_blob_new(nullptr, bytes.data(), bytes.size()));
}

// What a buffer holds.
inline std::string_view BlobBytes(const BlobPtr& blob) {
  size_t length = 0;
  const void* data = vips_blob_get(blob.get(), &length);
  return {static_cast<const char*>(data), length};
}

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_VIPS_BLOB_H_
