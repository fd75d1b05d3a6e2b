// How many encodes the size cap needs: every picture of a folder rendered
// as the plain job does (width, quality 95), then encoded within KB.
// Prints the average and the most encodes per picture, and fails when an
// encode is over the cap without being marked so.
//
//   bench_size_cap FOLDER KB [WIDTH]
#include "engine/picture/size_cap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/picture/imaging_environment.h"
#include "engine/picture/picture_ops.h"
#include "engine/run/folder_scan.h"

using namespace lumivane;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER KB [WIDTH]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const std::uint64_t cap = std::strtoull(argv[2], nullptr, 10) * 1024;
  ProcessingSettings s;
  s.width = argc > 3 ? std::atoi(argv[3]) : 640;
  PictureSwitches sw;
  sw.width = true;
  EnsureImagingEnvironment();
  auto files = ListPictureFiles(folder);
  if (!files || files->count() == 0) return 1;
  int pictures = 0, encodes = 0, most = 0, over = 0;
  for (const auto& name : files->items) {
    const auto picture = RenderPicture({{folder + "/" + name}}, s, sw, nullptr);
    if (!picture) continue;
    const auto jpeg = EncodeWithin(*picture, 95, cap);
    if (!jpeg) return 1;
    if (jpeg->bytes.size() > cap && !jpeg->over_limit) {
      std::fprintf(stderr, "%s: %zu bytes over the cap\n", name.c_str(), jpeg->bytes.size());
      return 1;
    }
    ++pictures;
    encodes += jpeg->encodes;
    most = std::max(most, jpeg->encodes);
    over += jpeg->over_limit;
  }
  std::printf(
      "%d pictures within %llu KB: %.2f encodes a picture on average, %d at most, %d over\n",
      pictures, static_cast<unsigned long long>(cap / 1024),
      static_cast<double>(encodes) / std::max(pictures, 1), most, over);
  return 0;
}
