// How close shrink-on-load comes to a full decode: for every JPEG of a
// folder, the picture as it would be written (before encoding) with and
// without the decoder's size hint, compared by PSNR.
//
//   bench_psnr FOLDER [WIDTH]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/folder_scan.h"
#include "engine/imaging_environment.h"
#include "engine/picture_ops.h"
#include "text/text_helpers.h"

using namespace lumivane;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [WIDTH]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  ProcessingSettings s;
  s.width = argc > 2 ? std::atoi(argv[2]) : 640;
  PictureSwitches sw;
  sw.width = true;
  EnsureImagingEnvironment();
  auto files = ListPictureFiles(folder);
  if (!files) return 1;
  std::vector<double> psnr;
  for (const auto& name : files->items) {
    const std::string ext = AsciiLower(name.substr(name.rfind('.')));
    if (ext != ".jpg" && ext != ".jpeg") continue;
    const std::string path = folder + "/" + name;
    MagickWandPtr hinted = RenderPicture(path, s, sw, nullptr, true);
    MagickWandPtr full = RenderPicture(path, s, sw, nullptr, false);
    if (!hinted || !full) continue;
    double distortion = 0;
    MagickWandPtr diff(MagickCompareImages(hinted.get(), full.get(), PeakSignalToNoiseRatioMetric,
                                           &distortion));
    psnr.push_back(distortion);
    std::printf("%-24s %6.2f dB\n", name.c_str(), distortion);
  }
  if (psnr.empty()) return 1;
  std::sort(psnr.begin(), psnr.end());
  std::printf("%zu JPEGs at width %d: worst %.2f dB, median %.2f dB\n", psnr.size(), s.width,
              psnr.front(), psnr[psnr.size() / 2]);
  return 0;
}
