// How close a tool's outputs come to a full-size decode resized with
// Lanczos 3: for every JPEG of the corpus that has an output of the same
// name in OUTPUTS, the PSNR of the decoded output against that reference.
// Prints the worst and the median; fails when an output is missing or of
// another size.
//
//   bench_psnr CORPUS OUTPUTS [WIDTH]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/picture/imaging_environment.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_ops.h"
#include "engine/run/folder_scan.h"
#include "text/text_helpers.h"

using namespace lumivane;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s CORPUS OUTPUTS [WIDTH]\n", argv[0]);
    return 2;
  }
  const std::string corpus = argv[1], outputs = argv[2];
  ProcessingSettings s;
  s.width = argc > 3 ? std::atoi(argv[3]) : 640;
  PictureSwitches sw;
  sw.width = true;
  EnsureImagingEnvironment();
  auto files = ListPictureFiles(corpus);
  if (!files) return 1;
  std::vector<double> psnr;
  for (const auto& name : files->items) {
    const std::string ext = AsciiLower(name.substr(name.rfind('.')));
    if (ext != ".jpg" && ext != ".jpeg") continue;
    const auto reference =
        RenderPicture({{corpus + "/" + name}}, s, sw, nullptr, {}, nullptr, nullptr, false);
    const auto output = ReadPicture(outputs + "/" + name);
    if (!reference || !output) {
      std::fprintf(stderr, "%s: no %s\n", name.c_str(), reference ? "output" : "reference");
      return 1;
    }
    if (std::abs(output->width() - reference->width()) > 1 ||
        std::abs(output->height() - reference->height()) > 1) {
      std::fprintf(stderr, "%s: %dx%d, expected %dx%d\n", name.c_str(), output->width(),
                   output->height(), reference->width(), reference->height());
      return 1;
    }
    // Tools differ by a row in how they round heights: the common part.
    const int w = std::min(output->width(), reference->width());
    const int h = std::min(output->height(), reference->height());
    const double mse = (output->crop(0, 0, w, h).cast(VIPS_FORMAT_FLOAT) -
                        reference->crop(0, 0, w, h).cast(VIPS_FORMAT_FLOAT))
                           .pow(2)
                           .avg();
    psnr.push_back(10 * std::log10(255.0 * 255.0 / std::max(mse, 1e-10)));
  }
  if (psnr.empty()) return 1;
  std::sort(psnr.begin(), psnr.end());
  std::printf("%.2f %.2f\n", psnr.front(), psnr[psnr.size() / 2]);
  return 0;
}
