#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>

#include "engine/picture/jpeg_header.h"
#include "engine/picture/picture_ops.h"
#include "engine/run/batch_run.h"
#include "engine/run/folder_scan.h"
#include "platform/file_system.h"
#include "settings/program_folder.h"
#include "tests/fake_window_port.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

// Runs the same folder with one worker and with four, into two targets,
// and returns what each window saw, with the target paths made equal.
class ConcurrentRunTest : public ::testing::Test {
 protected:
  ConcurrentRunTest() { src_ = dir_.MakeFolder("src"); }
  std::vector<std::string> RunWith(int workers, std::deque<bool> answers, bool subfolders = false) {
    const std::string target = dir_ / ("out" + std::to_string(workers));
    FakeWindowPort port;
    RunRequest request;
    request.inputs = DefaultInputs();
    request.inputs.source = src_;
    request.inputs.target = target;
    request.inputs.width_on = true;
    request.inputs.width = "50";
    request.inputs.subfolders = subfolders;
    port.answers = std::move(answers);
    ProcessingSettings settings;
    request.workers = workers;
    summaries_.push_back(BatchWorker(port, settings, request));
    std::vector<std::string> seen;
    for (auto call : port.AllCalls()) {
      call = std::regex_replace(call, std::regex(target), "TARGET");
      seen.push_back(call);
    }
    return seen;
  }
  std::vector<std::string> Outputs(int workers) {
    auto list = ListPictureFiles(dir_ / ("out" + std::to_string(workers)));
    std::vector<std::string> names = list ? list->items : std::vector<std::string>{};
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir_;
  std::string src_;
  std::vector<RunOutcome> summaries_;
};

TEST_F(ConcurrentRunTest, SeveralWorkersShowExactlyWhatOneWorkerShows) {
  for (int i = 0; i < 14; ++i) {
    const std::string name = "p" + std::to_string(i);
    if (i % 5 == 3) {
      dir_.WriteFile("src/" + name + ".jpg", "broken");
    } else {
      MakePictureFile(src_ + "/" + name + (i % 2 ? ".png" : ".jpg"), 120 + 10 * i, 80, "teal",
                      i % 2 ? "PNG" : "JPEG");
    }
  }
  const auto one = RunWith(1, {true});
  const auto four = RunWith(4, {true});
  EXPECT_EQ(one, four);
  EXPECT_EQ(Outputs(1), Outputs(4));
  EXPECT_EQ(summaries_[0].processed, 11);
  EXPECT_EQ(summaries_[1].processed, 11);
  EXPECT_EQ(summaries_[1].failed, 3);
}

TEST_F(ConcurrentRunTest, CollidingOutputsKeepTheFirstPictureWhateverTheWorkers) {
  MakePictureFile(src_ + "/a.png", 200, 100, "red", "PNG");
  MakePictureFile(src_ + "/a.png.jpg", 100, 100, "blue", "JPEG");
  for (int i = 0; i < 6; ++i)
    MakePictureFile(src_ + "/x" + std::to_string(i) + ".jpg", 90, 60, "gray", "JPEG");
  const auto one = RunWith(1, {true});
  const auto four = RunWith(4, {true});
  EXPECT_EQ(one, four);
  EXPECT_EQ(
      std::count_if(four.begin(), four.end(), [](auto& c) { return c.rfind("ask 询问", 0) == 0; }),
      0);
  for (const char* out : {"out1/a.png.jpg", "out4/a.png.jpg"}) {
    auto w = LoadForTest(dir_ / out);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->height(), 25) << out;  // a.png's, first in the listing
  }
}

TEST_F(ConcurrentRunTest, NoToTheOverwriteQuestionKeepsEveryEarlierOutputComplete) {
  for (int i = 0; i < 10; ++i)
    MakePictureFile(src_ + "/f" + std::to_string(i) + ".jpg", 300, 200, "olive", "JPEG");
  const auto list = ListPictureFiles(src_);
  const std::string fifth = list->items[5];
  dir_.WriteFile("out4/" + fifth, "old");
  RunWith(4, {false});
  EXPECT_EQ(summaries_[0].end, RunEnd::kCancelled);
  EXPECT_EQ(summaries_[0].processed, 5);
  for (int i = 0; i < 5; ++i) {
    auto w = LoadForTest(dir_ / ("out4/" + list->items[static_cast<size_t>(i)]));
    ASSERT_TRUE(w) << list->items[static_cast<size_t>(i)];
    EXPECT_EQ(w->width(), 50);
  }
  EXPECT_EQ(ReadWholeFile(dir_ / ("out4/" + fifth)), "old");
  EXPECT_EQ(Outputs(4).size(), 6u);  // five new ones and the old one
}

TEST_F(ConcurrentRunTest, LargePhotosInFlightTogetherWaitForRoomInsteadOfFailing) {
  // Six 48-megapixel photographs at once need more memory than pictures in
  // flight may share: some wait, none fails.
  SavePicture(MakePicture(8000, 6000, "orange"), dir_ / "big.jpg", "JPEG");
  const std::string big = ReadWholeFile(dir_ / "big.jpg");
  for (int i = 0; i < 6; ++i) dir_.WriteFile("src/b" + std::to_string(i) + ".jpg", big);
  FakeWindowPort port;
  RunRequest request;
  request.inputs = DefaultInputs();
  request.inputs.source = src_;
  request.inputs.target = dir_ / "out";
  request.workers = 6;
  ProcessingSettings settings;
  const RunOutcome summary = BatchWorker(port, settings, request);
  EXPECT_EQ(summary.processed, 6);
  EXPECT_EQ(port.Calls("log"),
            (std::vector<std::string>{"处理：质量 95", ReportLine(request.inputs.target)}));
}

TEST(JpegHeaderTest, SizeAndOrientationFromTheHeader) {
  TempDir dir;
  MakePictureFile(dir / "a.jpg", 321, 123, "white", "JPEG");
  auto h = ReadJpegHeader(ReadWholeFile(dir / "a.jpg"));
  ASSERT_TRUE(h);
  EXPECT_EQ(h->width, 321);
  EXPECT_EQ(h->height, 123);
  EXPECT_EQ(h->orientation, 1);
  EXPECT_FALSE(ReadJpegHeader("\xFF\xD8\xFF"));
  EXPECT_FALSE(ReadJpegHeader("not a jpeg"));
}

TEST(JpegHeaderTest, DecoderReducesOnlyWhileTwiceTheTargetWidthRemains) {
  auto header = [](int w, int h, int orientation) {
    JpegHeader j;
    j.width = w, j.height = h, j.orientation = orientation;
    return j;
  };
  EXPECT_EQ(JpegShrinkFactor(header(4000, 3000, 1), {640, 480}), 2);
  EXPECT_EQ(JpegShrinkFactor(header(3000, 4000, 6), {640, 480}), 2);  // turned upright: 4000 wide
  EXPECT_EQ(JpegShrinkFactor(header(8000, 6000, 1), {400, 300}), 8);
  EXPECT_EQ(JpegShrinkFactor(header(1280, 900, 1), {640, 450}), 1);
  EXPECT_EQ(JpegShrinkFactor(header(4000, 1000, 8), {640, 2560}), 1);  // 1000 wide when upright
  EXPECT_EQ(JpegShrinkFactor(header(4000, 3000, 1), {0, 0}), 1);
}

double Psnr(const vips::VImage& a, const vips::VImage& b) {
  const double mse = (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).pow(2).avg();
  return 10 * std::log10(255.0 * 255.0 / std::max(mse, 1e-10));
}

TEST(ShrinkOnLoadTest, ReducedDecodeStaysCloseToTheFullDecodeAndExactInSize) {
  TempDir dir;
  // A photograph-like picture: smooth shapes with soft noise.
  SavePicture(WithNoise(MakePicture(3000, 2000, "#6a8caf")).gaussblur(3), dir / "photo.jpg", "JPEG",
              92);
  MakePictureFile(dir / "small.jpg", 500, 300, "white", "JPEG");
  ProcessingSettings s;
  s.width = 640;
  PictureSwitches sw;
  sw.width = true;
  auto reduced = RenderPicture({{dir / "photo.jpg"}}, s, sw, nullptr);
  auto full = RenderPicture({{dir / "photo.jpg"}}, s, sw, nullptr, {}, nullptr, nullptr, false);
  ASSERT_TRUE(reduced && full);
  EXPECT_EQ(reduced->width(), 640);
  EXPECT_EQ(reduced->height(), 426);
  EXPECT_GE(Psnr(*reduced, *full), 48.0);
  auto small = RenderPicture({{dir / "small.jpg"}}, s, sw, nullptr);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->width(), 500);
  EXPECT_EQ(small->height(), 300);
  // The height comes from the original size, whatever the decoder's
  // reduction: 4000 x 2999 at 640 is 479 high (the reduced 2000 x 1500
  // would give 480), 3000 x 4001 at 500 is 666.
  SavePicture(MakePicture(4000, 2999, "white"), dir / "wide.jpg", "JPEG");
  SavePicture(MakePicture(3000, 4001, "white"), dir / "tall.jpg", "JPEG");
  auto wide = RenderPicture({{dir / "wide.jpg"}}, s, sw, nullptr);
  s.width = 500;
  auto tall = RenderPicture({{dir / "tall.jpg"}}, s, sw, nullptr);
  ASSERT_TRUE(wide && tall);
  EXPECT_EQ(wide->height(), 479);
  EXPECT_EQ(tall->height(), 666);
}

}  // namespace
}  // namespace lumivane
