// Runs the picture engine over every picture of a folder and prints the
// pictures per second, so changes to the engine can be compared.
//
//   bench_process_folder SOURCE_FOLDER [WIDTH] [REPEAT]
//
// The job: shrink to WIDTH (640), quality 95, a text line and a picture
// watermark at the bottom right with 16-pixel margins. Outputs go to a
// temporary folder that is removed afterwards.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/picture/imaging_environment.h"
#include "engine/picture/picture_ops.h"
#include "engine/run/folder_scan.h"

using namespace lumivane;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SOURCE_FOLDER [WIDTH] [REPEAT]\n", argv[0]);
    return 2;
  }
  const std::string source = argv[1];
  const int width = argc > 2 ? std::atoi(argv[2]) : 640;
  const int repeat = argc > 3 ? std::atoi(argv[3]) : 1;
  auto files = ListPictureFiles(source);
  if (!files || files->count() == 0) {
    std::fprintf(stderr, "no pictures in %s\n", source.c_str());
    return 1;
  }
  EnsureImagingEnvironment();
  namespace fs = std::filesystem;
  fs::path out = fs::temp_directory_path() / "lumivane-bench-out";
  fs::create_directories(out);

  // A small watermark picture of the job's own.
  const vips::VImage mark =
      (vips::VImage::black(120, 40, vips::VImage::option()->set("bands", 4)) +
       std::vector<double>{255, 255, 255, 153})
          .cast(VIPS_FORMAT_UCHAR)
          .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
          .copy_memory();

  ProcessingSettings s;
  s.width = width;
  s.quanlity = 1;
  s.sy_text = "shop.example.com";
  s.sy_text_w_direction = s.sy_text_h_direction = 2;
  s.sy_text_w_value = s.sy_text_h_value = 16;
  s.sy_text_font = {"Liberation Sans", 26, 0, 0, 0};
  s.sy_image_w_direction = s.sy_image_h_direction = 2;
  s.sy_image_w_value = s.sy_image_h_value = 16;
  PictureSwitches sw;
  sw.width = sw.quality = sw.text_watermark = sw.picture_watermark = true;

  int done = 0, failed = 0;
  auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < repeat; ++r) {
    for (const auto& name : files->items) {
      auto outcome =
          ProcessOnePicture(source + "/" + name, OutputPathFor(out.string(), name), s, sw, &mark)
              .outcome;
      (outcome == PictureOutcome::kProcessed ? done : failed)++;
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d pictures (%d failed) in %.2f s: %.2f pictures per second\n", done, failed,
              seconds, done / seconds);
  fs::remove_all(out);
  return 0;
}
