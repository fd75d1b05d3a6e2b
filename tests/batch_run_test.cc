#include "engine/run/batch_run.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "engine/picture/font_resolver.h"
#include "engine/picture/heic_support.h"
#include "engine/picture/operation_table.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_ops.h"
#include "engine/picture/rename.h"
#include "engine/picture/settings_text.h"
#include "engine/picture/size_rule.h"
#include "engine/run/folder_scan.h"
#include "engine/run/picture_job.h"
#include "engine/run/running_batch.h"
#include "settings/program_folder.h"
#include "tests/fake_window_port.h"
#include "tests/picture_fixtures.h"
#include "tests/run_fixture.h"
#include "tests/temp_dir.h"
#include "text/text_codec.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

class BatchRunTest : public RunFixture {
 protected:
  void Picture(const std::string& relative, const std::string& format = "JPEG") {
    dir_.MakeFolder("src/" + std::filesystem::path(relative).parent_path().string());
    MakePictureFile(src_ + "/" + relative, 64, 48, "orange", format);
  }
  std::vector<std::string> Asked() const { return port_.Calls("ask"); }
};

TEST_F(BatchRunTest, OneFolderRunProcessesEveryPictureLogsTheUnreadableAndAsksTheSummary) {
  Picture("a.jpg");
  Picture("b.png", "PNG");
  Picture("c.BMP", "BMP");
  // What phones and shop pages save, by their own names.
  Picture("d.HEIC", "HEIC");
  Picture("e.webp", "WEBP");
  Picture("f.gif", "GIF");
  dir_.WriteFile("src/broken.jpg", "not a picture");
  dir_.WriteFile("src/notes.txt", "passed over, and told");
  port_.answers = {true};
  Run();
  EXPECT_TRUE(FileExists(target_ + "/a.jpg"));
  EXPECT_TRUE(FileExists(target_ + "/b.png.jpg"));
  EXPECT_TRUE(FileExists(target_ + "/c.BMP.jpg"));
  for (const char* made : {"e.webp.jpg", "f.gif.jpg"}) {
    EXPECT_TRUE(FileExists(target_ + "/" + made)) << made;
  }
  EXPECT_FALSE(FileExists(target_ + "/broken.jpg"));
  // Where the library has no HEVC decoder (Windows), the phone's picture
  // is told as such and counted.
  const bool heic = SystemDecodesHevc();
  EXPECT_EQ(FileExists(target_ + "/d.HEIC.jpg"), heic);
  std::vector<std::string> log = {"处理：质量 95", "跳过 1 个不是图片的文件",
                                  "读取 " + src_ + "/broken.jpg 出错：不是图片"};
  if (!heic) log.push_back("读取 " + src_ + "/d.HEIC 出错：这台电脑上不能读取 HEIC 图片");
  log.push_back(ReportLine(target_));
  EXPECT_EQ(port_.Calls("log"), log);
  EXPECT_EQ(port_.Calls("range"), std::vector<std::string>{"7"});
  EXPECT_EQ(port_.Calls("position"), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(Asked(), std::vector<std::string>{DoneQuestion(heic ? 6 : 5, target_, heic ? 1 : 2)});
  EXPECT_TRUE(outcome_.open_target);
  EXPECT_EQ(outcome_.target, target_);
  // The settings the checks took, for the window to keep.
  EXPECT_TRUE(outcome_.checked);
}

TEST_F(BatchRunTest, SubfolderRunMirrorsTheTreeAndCountsFolders) {
  Picture("top.jpg");
  Picture("a/one.jpg");
  Picture("a/b/two.png", "PNG");
  Picture("a/b/three.jpg");
  request_.inputs.subfolders = true;
  Run();
  EXPECT_TRUE(FileExists(target_ + "/top.jpg"));
  EXPECT_TRUE(FileExists(target_ + "/a/one.jpg"));
  EXPECT_TRUE(FileExists(target_ + "/a/b/two.png.jpg"));
  EXPECT_TRUE(FileExists(target_ + "/a/b/three.jpg"));
  EXPECT_EQ(port_.Calls("range"), std::vector<std::string>{"3"});
  EXPECT_EQ(port_.Calls("position"), (std::vector<std::string>{"1", "2", "3"}));
  // The bar steps by folder; its text counts pictures, all of them known at the start.
  EXPECT_EQ(port_.picture_counts, (std::vector<std::string>{"0/4", "1/4", "2/4", "3/4", "4/4"}));
  EXPECT_EQ(Asked().back(), DoneQuestion(4, target_));
  EXPECT_FALSE(outcome_.open_target);  // the summary was answered No
}

TEST_F(BatchRunTest, OverwriteQuestionIsAskedOnceAndYesOverwritesEverything) {
  Picture("a.jpg");
  Picture("b.jpg");
  dir_.WriteFile("target/a.jpg", "old");
  dir_.WriteFile("target/b.jpg", "old");
  port_.answers = {true, false};
  Run();
  auto asked = Asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], "询问|图片处理后保存到的文件夹中已存在相同文件名的图片，是否要全部覆盖？");
  EXPECT_NE(ReadWholeFile(target_ + "/a.jpg"), "old");
  EXPECT_NE(ReadWholeFile(target_ + "/b.jpg"), "old");
}

TEST_F(BatchRunTest, NoInTheThirdFolderKeepsEarlierOutputsAndShowsNoSummary) {
  Picture("first.jpg");
  Picture("a/second.jpg");
  Picture("a/b/third.jpg");
  dir_.WriteFile("target/a/b/third.jpg", "old");
  request_.inputs.subfolders = true;
  port_.answers = {false};
  Run();
  EXPECT_TRUE(FileExists(target_ + "/first.jpg"));
  EXPECT_TRUE(FileExists(target_ + "/a/second.jpg"));
  EXPECT_EQ(ReadWholeFile(target_ + "/a/b/third.jpg"), "old");
  EXPECT_EQ(Asked().size(), 1u);
  EXPECT_EQ(port_.Calls("message"),
            std::vector<std::string>{"提示|你取消了本次图片处理|information"});
}

TEST_F(BatchRunTest, PngAndItsJpgTwinGiveOneOutputTheFirstKeepsIt) {
  Picture("a.png", "PNG");
  MakePictureFile(src_ + "/a.png.jpg", 32, 16, "blue", "JPEG");
  const RunOutcome summary = Run();
  EXPECT_EQ(Asked().size(), 1u);  // the summary only
  EXPECT_EQ(port_.Calls("log"),
            (std::vector<std::string>{"处理：质量 95",
                                      "未保存 " + src_ + "/a.png.jpg：" + target_ +
                                          "/a.png.jpg 已由同一文件夹里的另一张图片保存",
                                      ReportLine(target_)}));
  EXPECT_EQ(summary.failed, 1);
  auto kept = LoadForTest(target_ + "/a.png.jpg");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->width(), 64);  // a.png's
}

// The first picture in name order keeps a name, its parts' too; with a
// rename pattern the run is refused before anything is written.
TEST_F(BatchRunTest, PartsOfACutPictureNeverReplaceAnotherPicturesOutput) {
  MakePictureFile(src_ + "/a.jpg", 100, 3000, "orange", "JPEG");
  MakePictureFile(src_ + "/a_02.jpg", 40, 30, "blue", "JPEG");
  request_.extras.slice_height = 1500;
  const RunOutcome summary = Run();
  EXPECT_EQ(port_.Calls("log"),
            (std::vector<std::string>{"处理：质量 95", "更多处理选项：每段 ≤ 1500 高",
                                      "未保存 " + src_ + "/a_02.jpg：" + target_ +
                                          "/a_02.jpg 已由同一文件夹里的另一张图片保存",
                                      ReportLine(target_)}));
  EXPECT_EQ(summary.failed, 1);
  auto kept = LoadForTest(target_ + "/a_02.jpg");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->width(), 100);  // a.jpg's second part
  // Sized names clash by the sizes the headers tell: refused at the start.
  MakePictureFile(src_ + "/b.jpg", 100, 3000, "blue", "JPEG");
  request_.extras.slice_height = 0;
  request_.extras.rename = "p{w}x{h}";
  EXPECT_EQ(Run().end, RunEnd::kRefused);
  EXPECT_NE(port_.Calls("message").back().find("p100x3000.jpg"), std::string::npos);
}

// A name that holds the size is known only once each picture is made; two
// pictures made to one size give it to the first in name order whichever
// worker finishes first (here the later, smaller one, usually).
TEST_F(BatchRunTest, ASizedNameGoesToTheFirstPictureInNameOrderEveryRun) {
  auto product = [&](const std::string& name, int side, const char* colour) {
    SavePicture(MakePicture(side, side, "white")
                    .insert(MakePicture(120, 80, colour), side / 2 - 60, side / 2 - 40),
                src_ + "/" + name, "PNG");
  };
  product("a.png", 4000, "red");
  product("b.png", 300, "blue");
  request_.extras.trim = 10;
  request_.extras.rename = "t{w}x{h}";
  request_.workers = 2;
  for (int run = 0; run < 6; ++run) {
    std::filesystem::remove_all(target_);
    const RunOutcome summary = Run();
    EXPECT_EQ(summary.processed, 1) << run;
    EXPECT_EQ(summary.failed, 1) << run;
    const auto kept = LoadForTest(target_ + "/t120x80.jpg");
    ASSERT_TRUE(kept) << run;
    EXPECT_TRUE(IsNear(PixelAt(*kept, 60, 40), 1, 0, 0, 0.1)) << run;  // a.png's red
    const auto log = port_.Calls("log");
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& line) {
                              return line.starts_with("未保存 " + src_ + "/b.png");
                            }),
              run + 1);
  }
}

TEST_F(BatchRunTest, EmptyFolderGivesTheSummaryWithZeroAndOpensTheTarget) {
  port_.answers = {true};
  Run();
  EXPECT_EQ(Asked(), std::vector<std::string>{
                         "完成|处理完成 0 个图片，是否要打开目标文件夹查看处理后的图片？"});
  EXPECT_TRUE(outcome_.open_target);
}

// Quitting mid-run: the pictures in hand are finished, no more are
// started, and the report lists every picture, those not reached too.
TEST_F(BatchRunTest, AStoppedRunKeepsItsRecord) {
  for (const char* name : {"a.jpg", "b.jpg", "sub/c.jpg", "sub/d.jpg"}) Picture(name);
  request_.inputs.subfolders = true;
  request_.workers = 1;
  auto stop = std::make_shared<std::atomic<bool>>(false);
  request_.stop = stop;
  request_.on_picture = [&](const std::string&, const PictureResult&) { *stop = true; };
  const RunOutcome summary = Run();
  EXPECT_EQ(summary.end, RunEnd::kStopped);
  EXPECT_GE(summary.processed, 1);
  EXPECT_GE(summary.not_reached, 1);
  EXPECT_EQ(summary.processed + summary.not_reached, 4);
  EXPECT_TRUE(Asked().empty());  // nothing asked while the window quits
  const std::string report = ReadWholeFile(target_ + "/处理报告.csv");
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
    EXPECT_NE(report.find(name), std::string::npos) << name;
  }
  EXPECT_NE(report.find("未处理（中途停止）"), std::string::npos) << report;
  EXPECT_EQ(port_.Calls("log").back(), "已停止处理：处理了 " + std::to_string(summary.processed) +
                                           " 个图片，" + std::to_string(summary.not_reached) +
                                           " 个未处理，" + ReportLine(target_));
}

TEST_F(BatchRunTest, TargetBelowTheSourceIsRefusedInSubfolderModeOnly) {
  Picture("a.jpg");
  request_.inputs.subfolders = true;
  request_.inputs.target = src_ + "/out";
  Run();
  EXPECT_EQ(
      port_.Calls("message"),
      std::vector<std::string>{"提示|不能将处理后的图片保存到图片源文件夹中的子文件夹里|error"});
  EXPECT_EQ(Focus(), "target");
  EXPECT_FALSE(IsDirectory(src_ + "/out"));  // nothing is made for a refused run
  EXPECT_TRUE(FileExists(program_ + "/config.dat"));
  EXPECT_TRUE(Asked().empty());

  port_.ClearCalls();
  request_.inputs.subfolders = false;
  Run();
  EXPECT_TRUE(FileExists(src_ + "/out/a.jpg"));
}

TEST_F(BatchRunTest, TargetThatOnlySharesThePrefixIsAllowedTheSourceItselfIsNot) {
  Picture("a.jpg");
  request_.inputs.subfolders = true;
  request_.inputs.target = src_ + "2";
  Run();
  EXPECT_TRUE(FileExists(src_ + "2/a.jpg"));

  // Yes to the question would replace the originals with their copies.
  const std::string original = ReadWholeFile(src_ + "/a.jpg");
  port_.ClearCalls();
  port_.answers = {true};
  request_.inputs.target = src_ + "/";
  Run();
  EXPECT_EQ(port_.Calls("message"),
            std::vector<std::string>{"提示|处理后保存到的文件夹不能是图片源文件夹|error"});
  EXPECT_EQ(Focus(), "target");
  EXPECT_TRUE(Asked().empty());
  EXPECT_EQ(ReadWholeFile(src_ + "/a.jpg"), original);
}

TEST_F(BatchRunTest, FailedCheckEndsTheRunWithFocusAndWithoutSaving) {
  request_.inputs.width_on = true;
  request_.inputs.width = "abc";
  Run();
  EXPECT_EQ(Focus(), "width");
  EXPECT_FALSE(outcome_.checked);
  EXPECT_EQ(port_.AllCalls(),
            std::vector<std::string>{"message 提示|图片宽必须为整数,取值范围: 1 - 9999|error"});
}

TEST_F(BatchRunTest, UnwritableOutputIsLoggedAndNotCounted) {
  Picture("a.jpg");
  dir_.MakeFolder("target/a.jpg");  // a folder where the output should go: even root cannot write
  Run();
  EXPECT_EQ(port_.Calls("log"),
            (std::vector<std::string>{
                "处理：质量 95",
                "保存 " + target_ + "/a.jpg 出错：这个名字已被文件夹或其他不是普通文件的东西占用",
                ReportLine(target_)}));
  EXPECT_EQ(Asked().back(), DoneQuestion(0, target_, 1));
}

// Renamed outputs are numbered in each folder's name order from the start
// number, in every folder of the tree; names two pictures would share
// refuse the run before anything is written, naming the first.
TEST_F(BatchRunTest, RenamedOutputsAreNumberedPerFolderAndClashesRefuseTheRun) {
  Picture("b.jpg");
  Picture("a.png", "PNG");
  Picture("c.jpg");
  dir_.MakeFolder("src/shoes");
  Picture("shoes/d.jpg");
  request_.inputs.subfolders = true;
  request_.extras.rename = "{folder}_{n:02}";
  request_.extras.rename_start = 5;
  EXPECT_TRUE(Run().Complete());
  for (const char* name : {"src_05.jpg", "src_06.jpg", "src_07.jpg", "shoes/shoes_05.jpg"}) {
    EXPECT_TRUE(FileExists(target_ + "/" + name)) << name;
  }
  EXPECT_FALSE(FileExists(target_ + "/b.jpg"));

  port_.Reset();
  request_.inputs.target = dir_ / "clash";
  request_.extras.rename = "{name}";
  request_.extras.format = kPngOutput;
  Picture("shoes/d.png", "PNG");  // d.jpg and d.png both give d.png
  EXPECT_EQ(Run().end, RunEnd::kRefused);
  EXPECT_EQ(port_.Calls("message"),
            std::vector<std::string>{"提示|重命名后有重名的图片，没有处理任何图片：" +
                                     (dir_ / "clash/shoes/d.png") + "|error"});
  EXPECT_FALSE(IsDirectory(dir_ / "clash"));  // a refused run makes no folder
  EXPECT_EQ(CheckRenamePattern("{name}-{size}"),
            "unknown {size} (use {name}, {n}, {n:03}, {folder}, {date}, {w}, {h}, {list})");

  // The output's size in the name: known once made; an existing file of
  // that shape is asked about first.
  port_.Reset();
  request_.inputs.target = dir_ / "sized";
  request_.inputs.subfolders = false;
  request_.inputs.width_on = true;
  request_.inputs.width = "32";
  request_.extras = {};
  request_.extras.rename = "{name}_{w}x{h}";
  EXPECT_TRUE(Run().Complete());
  EXPECT_TRUE(FileExists(dir_ / "sized/b_32x24.jpg"));
  EXPECT_TRUE(FileExists(dir_ / "sized/a_32x24.jpg"));
  port_.Reset();
  std::filesystem::remove(dir_ / "sized/a_32x24.jpg");
  std::filesystem::remove(dir_ / "sized/b_32x24.jpg");
  std::filesystem::remove(dir_ / "sized/.lumivane-journal.txt");
  EXPECT_EQ(Run().end, RunEnd::kCancelled);  // c_32x24.jpg is there
  EXPECT_EQ(port_.Calls("ask").size(), 1u);
  EXPECT_EQ(CheckRenamePattern("a/{n}"), "a name cannot hold / or \\");
  // The window tells it in its own words, never the command line's.
  EXPECT_EQ(CheckRenamePattern("a/{n}", true), "文件名里不能有 / 或 \\");
  EXPECT_EQ(CheckDimensions("750*1000", true), "要写成 宽x高，每边 1 到 100000，如 800x800");
  // A cut picture's parts are each named at their own size.
  request_.inputs.target = dir_ / "parts";
  request_.inputs.width_on = false;
  request_.extras.slice_height = 20;
  std::filesystem::remove(src_ + "/b.png");
  std::filesystem::remove(src_ + "/c.BMP");
  port_.Reset();
  EXPECT_TRUE(Run().Complete());
  EXPECT_TRUE(FileExists(dir_ / "parts/a_64x20_01.jpg"));
  EXPECT_TRUE(FileExists(dir_ / "parts/a_64x8_03.jpg"));
}

TEST_F(BatchRunTest, UnreadableWatermarkPictureIsReportedOncePerRun) {
  Picture("a.jpg");
  Picture("b.jpg");
  std::string mark = dir_.WriteFile("mark.png", "broken");
  request_.inputs.picture_mark = true;
  request_.inputs.picture = mark;
  const RunOutcome unmarked = Run();
  EXPECT_TRUE(unmarked.marks_missing);
  EXPECT_EQ(unmarked.processed, 0);  // written, but not done as asked
  EXPECT_EQ(port_.Calls("log"),
            (std::vector<std::string>{"读取 " + mark + " 出错：不是图片",
                                      "处理：质量 95，水印图片 mark.png", ReportLine(target_)}));
  EXPECT_TRUE(FileExists(target_ + "/a.jpg"));
  // Unmarked is not done: a resumed run makes the pictures again.
  int skipped = 0;
  request_.on_picture = [&](const std::string&, const PictureResult& r) {
    skipped += r.outcome == PictureOutcome::kSkipped;
  };
  request_.skip_done = true;
  port_.answers = {true};
  EXPECT_TRUE(Run().marks_missing);
  EXPECT_EQ(skipped, 0);
}

// The text mark prints each picture's own data: a Chinese file name under
// a Latin face is drawn as that name typed in a Chinese face, and a
// picture whose text changed is made again by a resumed run.
TEST_F(BatchRunTest, TextMarkTokensPrintEachPicturesOwnData) {
  EXPECT_EQ(ExpandedText("{name}-{n:03} {folder} {date} {x} {n", {"红色杯子.jpg", 7, "鞋", "D"}),
            "红色杯子-007 鞋 D {x} {n");
  EXPECT_FALSE(HoldsTokens("{x} shop"));

  MakePictureFile(src_ + "/红色杯子.jpg", 240, 80, "white", "JPEG");
  request_.inputs.text_mark = true;
  request_.inputs.text = "{name} shop";
  settings_.sy_text_font.sy_text_fontName = "Liberation Sans";
  settings_.sy_text_font.sy_text_fontSize = 20;
  ASSERT_TRUE(Run().Complete());
  const std::string typed = dir_.MakeFolder("typed");
  std::filesystem::copy_file(FsPath(src_ + "/红色杯子.jpg"), FsPath(typed + "/x.jpg"));
  request_.inputs.source = typed;
  request_.inputs.target = dir_ / "typed-out";
  request_.inputs.text = "红色杯子 shop";
  settings_.sy_text_font.sy_text_fontName = ChineseFaceFor("红色杯子");
  ASSERT_TRUE(Run().Complete());
  EXPECT_EQ(ReadWholeFile(target_ + "/红色杯子.jpg"), ReadWholeFile(dir_ / "typed-out/x.jpg"));

  int skipped = 0;
  request_.on_picture = [&](const std::string&, const PictureResult& r) {
    skipped += r.outcome == PictureOutcome::kSkipped;
  };
  request_.skip_done = true;
  request_.inputs.text = "{n}";
  for (const char* name : {"b.jpg", "c.jpg"}) Picture("../typed/" + std::string(name));
  auto resumed = [&] {
    skipped = 0;
    port_.answers = {true};  // to write over what is there
    return Run().Complete();
  };
  ASSERT_TRUE(resumed());
  ASSERT_TRUE(resumed());
  EXPECT_EQ(skipped, 3);
  Picture("../typed/a.jpg");  // moves every number, so every text
  ASSERT_TRUE(resumed());
  EXPECT_EQ(skipped, 0);
}

// A folder joined into one page and cut by the detail preset: the parts
// within the part height, together as high as the photos and the gaps; an
// unreadable photo left out and told; a resumed run leaves the page until
// one of its photos changes.
TEST_F(BatchRunTest, AFoldersPicturesJoinIntoOnePageCutIntoParts) {
  const Preset detail = *FindPreset("detail");
  for (int i = 0; i < 20; ++i) {  // at the preset's 750 wide: 900 + 10 i high
    MakePictureFile(src_ + "/p" + std::to_string(10 + i) + ".jpg", 1500, 1800 + 20 * i,
                    i % 2 ? "orange" : "blue", "JPEG");
  }
  dir_.WriteFile("src/p15b.jpg", "not a picture");
  request_.inputs.width_on = true;
  request_.inputs.width = std::to_string(detail.width);
  request_.extras = detail.operations;
  request_.extras.join = true;
  request_.extras.join_gap = 20;
  int skipped = 0;
  request_.on_picture = [&](const std::string&, const PictureResult& r) {
    skipped += r.outcome == PictureOutcome::kSkipped;
  };
  const RunOutcome summary = Run();
  // Written without one of its pictures: the page failed, once.
  EXPECT_EQ(summary.processed, 0);
  EXPECT_EQ(summary.failed, 1);
  EXPECT_EQ(port_.Calls("log")[2], "读取 " + src_ + "/p15b.jpg 出错：不是图片，没有拼进长图");
  EXPECT_EQ(Asked().back(), DoneQuestion(0, target_, 1));
  int high = 0, parts = 0;
  while (auto part = LoadForTest(SlicePath(target_ + "/src.jpg", parts + 1))) {
    EXPECT_EQ(part->width(), 750);
    EXPECT_LE(part->height(), detail.operations.slice_height);
    high += part->height();
    ++parts;
  }
  EXPECT_EQ(parts, 14);
  EXPECT_EQ(high, 20 * 900 + 10 * 190 + 19 * 20);
  EXPECT_FALSE(FileExists(target_ + "/p10.jpg"));

  // A page without one of its pictures is not done: a resumed run makes
  // it again, and tells again; once whole, it is left.
  request_.skip_done = true;
  port_.answers = {true};  // to write over the page
  Run();
  EXPECT_EQ(skipped, 0);
  std::filesystem::remove(src_ + "/p15b.jpg");
  port_.answers = {true};
  Run();
  Run();
  EXPECT_EQ(skipped, 1);
  MakePictureFile(src_ + "/p12.jpg", 1500, 1800, "red", "JPEG");
  skipped = 0;
  port_.answers = {true};
  Run();
  EXPECT_EQ(skipped, 0);
}

// Three presets at once: each picture read once, each set in its own
// folder, the largest as its own run makes it byte for byte, a row per
// output, and each set resumed on its own.
TEST_F(BatchRunTest, OutputSetsComeFromOneReadingEachAndResumeApart) {
  for (const char* name : {"p0.jpg", "p1.jpg", "p2.jpg"}) {
    SavePicture(WithNoise(MakePicture(2400, 1800, "orange")), src_ + "/" + name, "JPEG", 90);
  }
  dir_.WriteFile("src/broken.jpg", "not a picture");
  for (const char* id : {"thumb", "main", "detail"}) {
    const Preset preset = *FindPreset(id);
    request_.sets.push_back({preset.short_name, preset.width, preset.operations});
  }
  request_.skip_done = true;
  int rows = 0;
  request_.on_picture = [&](const std::string&, const PictureResult&) { ++rows; };
  std::uint64_t decoded = PicturesDecoded();
  Run();
  EXPECT_EQ(PicturesDecoded() - decoded, 3u);
  EXPECT_EQ(rows, 12);
  EXPECT_EQ(outcome_.processed, 9);
  EXPECT_EQ(outcome_.failed, 3);  // a row per output, told once
  const auto log = port_.Calls("log");
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.find("broken.jpg") != l.npos; }),
            1);
  const std::map<std::string, std::pair<int, int>> sizes = {
      {"主图", {800, 800}}, {"详情图", {750, 562}}, {"缩略图", {400, 300}}};
  for (const auto& [set, size] : sizes) {
    const auto made = LoadForTest(target_ + "/" + set + "/p1.jpg");
    ASSERT_TRUE(made) << set;
    EXPECT_EQ(std::make_pair(made->width(), made->height()), size) << set;
  }
  const std::string thumb = target_ + "/缩略图/p1.jpg";
  std::filesystem::remove(FsPath(thumb));
  const auto kept = std::filesystem::last_write_time(FsPath(target_ + "/主图/p1.jpg"));
  decoded = PicturesDecoded();
  Run();
  EXPECT_EQ(PicturesDecoded() - decoded, 1u);
  EXPECT_TRUE(FileExists(thumb));
  EXPECT_EQ(std::filesystem::last_write_time(FsPath(target_ + "/主图/p1.jpg")), kept);

  const Preset main = *FindPreset("main");
  request_.sets.clear();
  request_.inputs.width_on = true;
  request_.inputs.width = std::to_string(main.width);
  request_.extras = main.operations;
  request_.inputs.target = dir_ / "alone";
  Run();
  EXPECT_EQ(platform::ReadRegularFile(dir_ / "alone/p2.jpg", 1 << 24),
            platform::ReadRegularFile(target_ + "/主图/p2.jpg", 1 << 24));
}

// A folder whose outputs cannot go anywhere (a file holds its name in the
// target): named with why, each of its pictures a failed row of the
// reports, the folders after it not reached; the 完成 question counts them.
TEST_F(BatchRunTest, AFolderThatCannotBeMadeLeavesEveryPictureCounted) {
  Picture("top.jpg");
  Picture("a/one.jpg");
  Picture("a/two.png", "PNG");
  Picture("b/three.jpg");
  dir_.MakeFolder("src/.thumbs");  // passed over, and told
  dir_.WriteFile("target/a", "a file where the folder goes");
  request_.inputs.subfolders = true;
  const RunOutcome summary = Run();
  EXPECT_EQ(summary.processed, 1);
  EXPECT_EQ(summary.failed, 2);
  EXPECT_EQ(summary.not_reached, 1);
  const auto log = port_.Calls("log");
  EXPECT_NE(std::find(log.begin(), log.end(), "跳过 1 个隐藏文件夹（名字以 . 开头）"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "创建图片处理后保存到的文件夹时出错：" + target_ +
                          "/a（这个名字已被一个文件占用）"),
            log.end());
  const std::string csv = ReadWholeFile(target_ + "/处理报告.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5) << csv;  // the head and 4 pictures
  EXPECT_NE(csv.find("a/two.png,,,,,,保存出错（这个名字已被文件夹或其他不是普通文件的东西占用）"),
            std::string::npos)
      << csv;
  EXPECT_EQ(Asked().back(), DoneQuestion(1, target_, 3));
}

// Names from the seller's item list, saved by a spreadsheet in GBK: by a
// picture's path, its name, or its name without the extension; one not on
// the list keeps its name and is counted, a line naming no picture is
// told, and two pictures given one name refuse the run.
TEST_F(BatchRunTest, NamesComeFromTheItemList) {
  for (const char* name : {"a.jpg", "b.jpg", "d.jpg", "sub/a.jpg", "sub/c.jpg"}) Picture(name);
  request_.inputs.subfolders = true;
  request_.extras.rename = "{list}_{n:02}";
  request_.extras.rename_list = dir_.WriteFile(
      "list.csv", Utf8ToGbk("文件名,货号\r\nsub/a.jpg,\"SKU,9\"\r\na.jpg,SKU-1\r\nb\tSKU-2\r\n"
                            "c,SKU-3\r\nx.jpg,SKU-8\r\n"));
  ASSERT_EQ(Run().end, RunEnd::kFinished);
  for (const char* made :
       {"SKU-1_01.jpg", "SKU-2_02.jpg", "d.jpg", "sub/SKU,9_01.jpg", "sub/SKU-3_02.jpg"}) {
    EXPECT_TRUE(FileExists(target_ + "/" + made)) << made;
  }
  const auto log = port_.Calls("log");
  for (const std::string line :
       {"1 个图片不在改名清单里，保留原名", "改名清单第 1 行的“文件名”没有对应的图片",
        "改名清单第 6 行的“x.jpg”没有对应的图片"}) {
    EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
  }
  port_.Reset();
  request_.inputs.target = dir_ / "same";
  request_.extras.rename = "{list}";
  request_.extras.rename_list = dir_.WriteFile("same.csv", "a.jpg,SAME\nb.jpg,SAME\n");
  EXPECT_EQ(Run().end, RunEnd::kRefused);
  EXPECT_FALSE(FileExists(dir_ / "same/SAME.jpg"));
  request_.extras.rename_list.clear();  // {list} with no list: every name would be ""
  EXPECT_EQ(OperationsConflict(request_.extras), "重命名里用了 {list}，要选一个改名清单");
}

TEST_F(BatchRunTest, WorkerThreadKeepsRunActiveUntilItsLastStep) {
  Picture("a.jpg");
  std::atomic<bool> ended = false;
  auto run = RunningBatch::Start(port_, settings_, request_, [&](const RunOutcome& outcome) {
    // The window's end steps take their time: the run still counts as going.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ended = outcome.end == RunEnd::kFinished;
  });
  ASSERT_TRUE(run && run->Active());
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (run->Active() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(run->Active());
  EXPECT_TRUE(ended);
  run->Join();
}

// A resumed run redoes a picture whenever anything its outputs are made
// from changed: every row of config.dat, every switch, the rotation, every
// further operation, the watermark picture's file.
TEST(ResumeKeyTest, EveryValueOutputsAreMadeFromChangesTheKey) {
  TempDir dir;
  const std::string mark = dir / "mark.png";
  SavePicture(MakePicture(20, 20, "red"), mark, "PNG");
  ProcessingSettings base;
  ParseSettingsText(DefaultSettingsText(dir.path()), base);
  base.sy_image = mark;
  const PictureSwitches on{true, true, 90, true, true};
  const std::string text = ComposeSettingsText(base);
  const auto key = [&](const ProcessingSettings& s, const PictureSwitches& w,
                       const ExtraOperations& x) { return OutputSettingsText(s, w, x); };
  const std::string base_key = key(base, on, {});
  size_t at = 0, rows = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    const size_t equals = line.find('=');
    // A value the settings take differently changes the key.
    for (const char* changed : {"7", "x"}) {
      std::string other = text;
      other.replace(at + equals + 1, end - at - equals - 1, line.substr(equals + 1) + changed);
      ProcessingSettings s = base;
      ParseSettingsText(other, s);
      if (ComposeSettingsText(s) == text) continue;  // not taken (a colour printed twice)
      EXPECT_NE(key(s, on, {}), base_key) << line;
      ++rows;
    }
    at = end + 1;
  }
  EXPECT_GE(rows, 17u);
  for (bool PictureSwitches::*s :
       {&PictureSwitches::width, &PictureSwitches::quality, &PictureSwitches::text_watermark,
        &PictureSwitches::picture_watermark}) {
    PictureSwitches w = on;
    w.*s = false;
    EXPECT_NE(key(base, w, {}), base_key);
  }
  for (int angle : {0, 180}) {  // `on` turns 90 degrees
    PictureSwitches turned = on;
    turned.rotation = angle;
    EXPECT_NE(key(base, turned, {}), base_key);
  }
  const std::string list = dir.WriteFile("list.csv", "a.jpg,SKU-1\n");
  const auto turn_on = [&list](const OperationField& f, ExtraOperations& x) {
    if (!f.IsText()) return f.Set(x, f.IsNumber() ? f.range.high : 1);
    for (const std::string& text : {std::string("800x800"), std::string("{name}_{n:03}"), list}) {
      if (!f.IsOn(x)) f.SetValueText(x, text);
    }
  };
  for (const OperationField& f : OperationFields()) {
    ExtraOperations x;
    for (const OperationField* needed : f.Needed()) turn_on(*needed, x);
    if (f.needs != nullptr && std::string_view(f.needs).find("canvas") != std::string_view::npos) {
      x.square = true;
    }
    const std::string before = key(base, on, x);
    turn_on(f, x);
    EXPECT_NE(key(base, on, x), before) << f.key;
  }
  SavePicture(MakePicture(21, 20, "red"), mark, "PNG");
  EXPECT_NE(key(base, on, {}), base_key);
}

}  // namespace
}  // namespace lumivane
