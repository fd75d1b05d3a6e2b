#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "engine/batch_run.h"
#include "engine/folder_scan.h"
#include "engine/jpeg_header.h"
#include "engine/picture_ops.h"
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
  ConcurrentRunTest() {
    SetProgramFolder(dir_.MakeFolder("program"));
    src_ = dir_.MakeFolder("src");
  }
  std::vector<std::string> RunWith(int workers, std::deque<bool> answers, bool subfolders = false) {
    const std::string target = dir_ / ("out" + std::to_string(workers));
    FakeWindowPort port;
    port.Set(Control::SourceFolderBox, src_);
    port.Set(Control::TargetFolderBox, target);
    port.Check(Control::WidthCheck);
    port.Set(Control::WidthBox, "50");
    port.Check(Control::SubfoldersCheck, subfolders);
    port.answers = std::move(answers);
    ProcessingSettings settings;
    BatchOptions options;
    options.workers = workers;
    summaries_.push_back(BatchWorker(port, settings, options));
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
  std::vector<BatchSummary> summaries_;
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

TEST_F(ConcurrentRunTest, CollidingOutputsAskInFileOrderAndTheLaterPictureWins) {
  MakePictureFile(src_ + "/a.png", 200, 100, "red", "PNG");
  MakePictureFile(src_ + "/a.png.jpg", 100, 100, "blue", "JPEG");
  for (int i = 0; i < 6; ++i)
    MakePictureFile(src_ + "/x" + std::to_string(i) + ".jpg", 90, 60, "gray", "JPEG");
  const auto one = RunWith(1, {true, true});
  const auto four = RunWith(4, {true, true});
  EXPECT_EQ(one, four);
  EXPECT_EQ(
      std::count_if(four.begin(), four.end(), [](auto& c) { return c.rfind("ask 询问", 0) == 0; }),
      1);
  // Whichever came later in the listing wrote the output; both runs agree.
  MagickWandPtr w1 = LoadForTest(dir_ / "out1/a.png.jpg");
  MagickWandPtr w4 = LoadForTest(dir_ / "out4/a.png.jpg");
  EXPECT_EQ(MagickGetImageHeight(w1.get()), MagickGetImageHeight(w4.get()));
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
    MagickWandPtr w = LoadForTest(dir_ / ("out4/" + list->items[static_cast<size_t>(i)]));
    ASSERT_TRUE(w) << list->items[static_cast<size_t>(i)];
    EXPECT_EQ(MagickGetImageWidth(w.get()), 50u);
  }
  EXPECT_EQ(ReadWholeFile(dir_ / ("out4/" + fifth)), "old");
  EXPECT_EQ(Outputs(4).size(), 6u);  // five new ones and the old one
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

TEST(JpegHeaderTest, SizeHintOnlyForPicturesMoreThanTwiceAsWideAsTheTarget) {
  EXPECT_EQ(JpegSizeHint({4000, 3000, 1}, 640), "1280x1");
  EXPECT_EQ(JpegSizeHint({3000, 4000, 6}, 640), "1x1280");  // turned upright: 4000 wide
  EXPECT_EQ(JpegSizeHint({1280, 900, 1}, 640), std::nullopt);
  EXPECT_EQ(JpegSizeHint({600, 400, 1}, 640), std::nullopt);
  EXPECT_EQ(JpegSizeHint({4000, 1000, 8}, 640), std::nullopt);  // 1000 wide when upright
  EXPECT_EQ(JpegSizeHint({4000, 3000, 1}, 0), std::nullopt);
}

double Psnr(MagickWand* a, MagickWand* b) {
  double distortion = 0;
  MagickWandPtr diff(MagickCompareImages(a, b, PeakSignalToNoiseRatioMetric, &distortion));
  return distortion;
}

TEST(ShrinkOnLoadTest, ReducedDecodeStaysCloseToTheFullDecodeAndExactInSize) {
  TempDir dir;
  // A photograph-like picture: smooth shapes with soft noise.
  MagickWandPtr p = MakePicture(3000, 2000, "#6a8caf");
  MagickAddNoiseImage(p.get(), GaussianNoise);
  MagickBlurImage(p.get(), 0, 3);
  SavePicture(p.get(), dir / "photo.jpg", "JPEG", 92);
  MakePictureFile(dir / "small.jpg", 500, 300, "white", "JPEG");
  ProcessingSettings s;
  s.width = 640;
  PictureSwitches sw;
  sw.width = true;
  MagickWandPtr reduced = RenderPicture(dir / "photo.jpg", s, sw, nullptr, true);
  MagickWandPtr full = RenderPicture(dir / "photo.jpg", s, sw, nullptr, false);
  ASSERT_TRUE(reduced && full);
  EXPECT_EQ(MagickGetImageWidth(reduced.get()), 640u);
  EXPECT_EQ(MagickGetImageHeight(reduced.get()), 426u);
  EXPECT_GE(Psnr(reduced.get(), full.get()), 48.0);
  MagickWandPtr small = RenderPicture(dir / "small.jpg", s, sw, nullptr, true);
  EXPECT_EQ(MagickGetImageWidth(small.get()), 500u);
  EXPECT_EQ(MagickGetImageHeight(small.get()), 300u);
}

}  // namespace
}  // namespace lumivane
