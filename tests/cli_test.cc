#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/cli_request.h"
#include "cli/guide.h"
#include "cli/manifest.h"
#include "cli/manual.h"
#include "engine/picture/jpeg_header.h"
#include "engine/run/folder_scan.h"
#include "engine/run/run_report.h"
#include "engine/run/shards.h"
#include "settings/options_file.h"
#include "settings/presets_file.h"
#include "tests/batch_cli.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;
namespace fs = std::filesystem;

#ifndef _WIN32  // for the test that interrupts a run
int CountFiles(const std::string& folder) {
  std::error_code ec;
  int n = 0;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); ++it)
    ++n;
  return n;
}
#endif

std::optional<cli::CliOptions> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string e;
  auto o = cli::ParseCliOptions(args, e);
  if (error) *error = e;
  return o;
}

TEST(CliOptionsTest, BadOptionsAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(Parse({}, &error));
  EXPECT_EQ(error, "--source is required");
  EXPECT_FALSE(Parse({"--source", "a", "--quality", "93"}, &error));
  EXPECT_EQ(error, "--quality: must be 50, 55, ... 100");
  EXPECT_FALSE(Parse({"--source", "a", "--rotate", "45"}, &error));
  EXPECT_FALSE(Parse({"--source", "a", "--color", "red"}, &error));
  EXPECT_FALSE(Parse({"--source", "a", "--text-position", "middle,top"}, &error));
  EXPECT_FALSE(Parse({"--source", "a", "--width"}, &error));
  EXPECT_EQ(error, "--width needs a value");
  EXPECT_FALSE(Parse({"--source", "a", "--frobnicate", "1"}, &error));
  EXPECT_EQ(error, "unknown option --frobnicate");
  EXPECT_FALSE(Parse({"--source", "a", "--bogus"}, &error));
  EXPECT_EQ(error, "unknown option --bogus");
  EXPECT_FALSE(Parse({"--source", "a", "--fit", "crop"}, &error));  // it only tunes --size
  EXPECT_EQ(error, "--fit works only with --size");
  EXPECT_TRUE(Parse({"--source", "a", "--size", "8x8", "--fit", "crop"}));
  EXPECT_TRUE(Parse({"--help"})->help);
}

TEST(CliOptionsTest, MarketplaceOperationsComeFromThePresetAndEachOption) {
  auto o = Parse(
      {"--source", "s", "--preset", "详情图 宽 750 每段 ≤ 1500 高", "--square", "--max-kb", "300"});
  ASSERT_TRUE(o);
  ExtraOperations e = cli::ExtraOperationsOf(*o);
  EXPECT_EQ(e.slice_height, 1500);
  EXPECT_TRUE(e.square);
  EXPECT_EQ(e.square_colour, "");  // none given: white, or clear for PNG and WebP
  EXPECT_EQ(e.max_kb, 300);
  o = Parse({"--source", "s", "--square", "#102030", "--tile-text", "--mark-width", "20"});
  e = cli::ExtraOperationsOf(*o);
  EXPECT_EQ(e.square_colour, "#102030");
  EXPECT_TRUE(e.tiled_text);
  EXPECT_EQ(e.mark_width_percent, 20);
  std::string error;
  EXPECT_FALSE(Parse({"--source", "s", "--preset", "none"}, &error));
  EXPECT_EQ(error, "--preset: no such preset, or more than one begins so (see --list-presets)");
  // Several presets at once: each with the options given beside them.
  o = Parse({"--source", "s", "--outputs", "main, 缩略图", "--max-kb", "300"});
  ASSERT_TRUE(o);
  ProcessingSettings settings;
  const RunRequest r = cli::RequestFrom(*o, settings);
  ASSERT_EQ(r.sets.size(), 2u);
  EXPECT_EQ(r.sets[1].name, "缩略图");
  EXPECT_EQ(r.sets[1].width, 400);
  EXPECT_TRUE(r.sets[0].extras.square);
  EXPECT_EQ(r.sets[1].extras.max_kb, 300);
  for (const auto& [args, why] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--outputs", "main"}, "--outputs: names two presets or more"},
           {{"--outputs", "main,nope"},
            "--outputs: no preset \"nope\", or more than one "
            "begins so (see --list-presets)"},
           {{"--outputs", "main,主图"}, "--outputs names \"主图\" twice"},
           {{"--outputs", "main,thumb", "--width", "500"},
            "--outputs cannot be given with --preset, --width or a size option"},
           {{"--outputs", "main,thumb", "--fit", "crop"}, "--fit works only with --size (主图)"}}) {
    std::vector<std::string> all = {"--source", "s"};
    all.insert(all.end(), args.begin(), args.end());
    EXPECT_FALSE(Parse(all, &error));
    EXPECT_EQ(error, why);
  }
}

// The manual pages come from what the programs say: every option the
// command line takes, every key options.dat holds.
TEST(ManualTest, PagesTellEveryOptionAndEveryKey) {
  const std::string batch = cli::BatchManual(), usage = cli::Usage();
  for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
    const size_t end = usage.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
    std::string option = usage.substr(at, end - at), roff;
    for (char c : option) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(batch.find(roff), std::string::npos) << option;
  }
  EXPECT_EQ(batch.find("report\\fR"), std::string::npos);  // no such option
  const std::string window = cli::WindowManual();
  const std::string keys = ComposeOptionsText({});
  for (size_t at = 0; at < keys.size(); at = keys.find('\n', at) + 1) {
    std::string key = keys.substr(at, keys.find('=', at) - at), roff;
    for (char c : key) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(window.find(".B " + roff + "\n"), std::string::npos) << key;
  }
  EXPECT_NE(window.find("presets.dat"), std::string::npos);
  // The shipped guide: the README's Chinese part alone, as HTML.
  const std::string guide = cli::GuideHtml(
      "# X\n## 如何使用\n\n### 步骤\n\n1. 选择 `a<b>`\n   文件夹\n2. 开始\n\n说明\n## Next\nno\n");
  EXPECT_NE(guide.find(
                "<h2>步骤</h2>\n<ol><li>选择 <code>a&lt;b&gt;</code>文件夹</li><li>开始</li></ol>\n"
                "<p>说明</p>\n</body>"),
            std::string::npos)
      << guide;
  EXPECT_EQ(cli::GuideHtml("# no guide\n"), "");
}

TEST(CliRequestTest, OptionsBecomeTheInputsTheRunChecks) {
  auto o =
      Parse({"--source",  "/s",      "--target",        "/t",  "--width",         "800",
             "--quality", "80",      "--rotate",        "270", "--text",          "店",
             "--color",   "#ff0800", "--opacity",       "30",  "--text-position", "left,center",
             "--image",   "/m.png",  "--image-margins", "3,4", "--subfolders"});
  ASSERT_TRUE(o);
  ProcessingSettings s;
  s.sy_text_w_value = 16;
  const RunRequest r = cli::RequestFrom(*o, s);
  const UserInputs& in = r.inputs;
  EXPECT_EQ(in.source, "/s");
  EXPECT_EQ(in.target, "/t");
  EXPECT_TRUE(in.width_on);
  EXPECT_EQ(in.width, "800");
  EXPECT_EQ(in.quality, 4);
  EXPECT_EQ(in.rotation, 2);
  EXPECT_TRUE(in.text_mark);
  EXPECT_EQ(in.opacity, 7);
  EXPECT_EQ(in.text_place.horizontal, 1);
  EXPECT_EQ(in.text_place.vertical, 0);
  EXPECT_EQ(in.text_place.horizontal_margin, "16");
  EXPECT_EQ(in.picture_place.vertical_margin, "4");
  EXPECT_TRUE(in.subfolders);
  EXPECT_EQ(s.sy_text_font.sy_text_rgbColors, 0x000008FFu);
}

TEST(CliRunTest, ExitCodesTellSuccessRefusalAndFailedPictures) {
  TempDir dir;
  dir.MakeFolder("src");
  MakePictureFile(dir / "src/a.jpg", 1000, 500, "red", "JPEG");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --width 300"), 0);
  EXPECT_FALSE(FileExists(dir / "config.dat"));  // settings are saved only when asked
  auto w = LoadForTest(dir / "out/a.jpg");
  ASSERT_TRUE(w);
  EXPECT_EQ(w->width(), 300);
  // Existing outputs and no terminal: not overwritten, and nobody "cancelled".
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --width 200"), 1);
  const std::string said = ReadWholeFile(dir / "out.txt");
  EXPECT_NE(said.find("--overwrite yes"), std::string::npos) << said;
  EXPECT_EQ(said.find("你取消了本次图片处理"), std::string::npos) << said;
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --width 200 --overwrite yes"), 0);
  EXPECT_EQ(RunBatch(dir.path(), "--source missing"), 1);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("提示: 图片源文件夹不存在，请重新选择"),
            std::string::npos);
  dir.WriteFile("src/broken.jpg", "nope");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out2"), 3);
  const std::string failed = ReadWholeFile(dir / "out.txt");
  EXPECT_NE(failed.find("读取 src/broken.jpg 出错"), std::string::npos);
  EXPECT_NE(failed.find("完成: 处理完成 1 个图片，1 个没有处理好，见 处理报告.html\n"),
            std::string::npos)
      << failed;
  // A target that cannot be made and a manifest that cannot be opened
  // could not be written: 3, as --help says.
  dir.WriteFile("file", "");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target file/out"), 3);
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out3 --manifest file/m.jsonl"), 3);
  EXPECT_EQ(RunBatch(dir.path(), "--bogus"), 2);
  // Its one error and where the options are told, not every option.
  const std::string bad = ReadWholeFile(dir / "out.txt");
  EXPECT_NE(bad.find("--bogus"), std::string::npos);
  EXPECT_NE(bad.find("--help"), std::string::npos);
  EXPECT_EQ(std::count(bad.begin(), bad.end(), '\n'), 2);
}

TEST(CliRunTest, EveryRefusalAndEveryRunCutShortOrUnmarkedEndsNonZero) {
  TempDir dir;
  dir.MakeFolder("src/sub");
  MakePictureFile(dir / "src/a.jpg", 200, 100, "red", "JPEG");
  MakePictureFile(dir / "src/sub/b.jpg", 200, 100, "red", "JPEG");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target src/out --subfolders"), 1);
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target src --overwrite yes"), 1);
  // A wrong command line, whatever is wrong (a value, a combination the run
  // would refuse, an option given twice), is 2, its option named; nothing
  // is made.
  for (const char* wrong :
       {"--format png --max-kb 100", "--size 100x100 --box 50x50", "--width 0", "--width 10000",
        "--text-margins 1000,0", "--text ''", "--width 100 --width 200"}) {
    EXPECT_EQ(RunBatch(dir.path(), std::string("--source src --target png ") + wrong), 2) << wrong;
    EXPECT_NE(ReadWholeFile(dir / "out.txt").find("--"), std::string::npos) << wrong;
  }
  EXPECT_FALSE(fs::exists(dir / "png"));
  // In the words of the window's check, which decides the value alone.
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target png --width 10000"), 2);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("--width: 图片宽取值范围: 1 - 9999"),
            std::string::npos);
  // A mirrored folder that cannot be created.
  dir.WriteFile("blocked/sub", "a file where the folder should be");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target blocked --subfolders"), 3);
  dir.WriteFile("not-a-picture.png", "x");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target m1 --image not-a-picture.png"), 3);
  EXPECT_TRUE(FileExists(dir / "m1/a.jpg"));  // the pictures themselves are still written
  // An empty config.dat holds no font size: the text cannot be drawn.
  dir.WriteFile("config.dat", "");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target m2 --text shop"), 3);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("添加水印时出错"), std::string::npos);
  fs::remove(dir / "config.dat");
  dir.MakeFolder("config.dat");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target m3"), 1);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("读取配置信息出错"), std::string::npos);
}

// The log line and the report's head state every operation in effect,
// the window's own five too, so a run can be told from its log.
TEST(CliRunTest, LogAndReportStateEveryOperationInEffect) {
  TempDir dir;
  dir.MakeFolder("src");
  SavePicture(MakePicture(1200, 900, "gray"), dir / "src/a.jpg", "JPEG", 95);
  SavePicture(MakePicture(64, 64, "red"), dir / "mark.png", "PNG");
  EXPECT_EQ(RunBatch(dir.path(),
                     "--source src --target out --width 800 --quality 80 --rotate 90 "
                     "--text shop --image mark.png --sharpen"),
            0);
  const std::string stated =
      "处理：宽度 800，质量 80，旋转 90°，文字水印“shop”（与水印图片同一位置，放在图片旁边），"
      "水印图片 mark.png";
  const std::string log = ReadWholeFile(dir / "out.txt");
  EXPECT_NE(log.find(stated + "\n更多处理选项：锐化 50\n"), std::string::npos) << log;
  EXPECT_NE(ReadWholeFile(dir / "out/处理报告.html").find(stated + "；更多处理选项：锐化 50"),
            std::string::npos);
}

TEST(CliRunTest, PresetRunWritesItsOutputsAndTheReport) {
  TempDir dir;
  dir.MakeFolder("src");
  SavePicture(WithNoise(MakePicture(1600, 1200, "gray")), dir / "src/a.jpg", "JPEG", 95);
  dir.WriteFile("src/broken.jpg", "nope");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --preset '缩略图 宽 400 ≤ 100 KB'"), 3);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("更多处理选项：≤ 100 KB"), std::string::npos);
  auto w = LoadForTest(dir / "out/a.jpg");
  ASSERT_TRUE(w);
  EXPECT_EQ(w->width(), 400);
  EXPECT_LE(ReadWholeFile(dir / "out/a.jpg").size(), 100u * 1024);
  const std::string report = ReadWholeFile(dir / "out/处理报告.csv");
  EXPECT_EQ(report.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(report.find("src/a.jpg,out/a.jpg,1600x1200,400x300,"), std::string::npos) << report;
  EXPECT_NE(report.find("src/broken.jpg,,,,,,读取出错"), std::string::npos) << report;
  EXPECT_FALSE(ReadJpegHeader(ReadWholeFile(dir / "out/a.jpg"))->progressive);
  // Progressive, still under the cap.
  EXPECT_EQ(RunBatch(dir.path(),
                     "--source src --target out --preset thumb --progressive "
                     "--overwrite yes"),
            3);
  EXPECT_TRUE(ReadJpegHeader(ReadWholeFile(dir / "out/a.jpg"))->progressive);
  EXPECT_LE(ReadWholeFile(dir / "out/a.jpg").size(), 100u * 1024);
  // A PNG has no quality: the report leaves it empty.
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target png --width 400 --format png"), 3);
  EXPECT_NE(ReadWholeFile(dir / "png/处理报告.csv").find("400x300,"), std::string::npos);
  EXPECT_NE(ReadWholeFile(dir / "png/处理报告.csv").find(",,完成"), std::string::npos)
      << ReadWholeFile(dir / "png/处理报告.csv");
}

TEST(ShardTest, EveryPathBelongsToExactlyOneShardOnEveryMachine) {
  for (int i = 0; i < 500; ++i) {
    const std::string path = "folder" + std::to_string(i % 7) + "/p" + std::to_string(i) + ".jpg";
    int owners = 0;
    for (int k = 0; k < 4; ++k) owners += InShard(path, k, 4);
    EXPECT_EQ(owners, 1) << path;
  }
  // A fixed hash: the same share whatever builds or runs it.
  EXPECT_TRUE(InShard("a/b.jpg", 0, 4));
  EXPECT_TRUE(InShard("x.jpg", 0, 1));
  PictureResult r;
  r.outcome = PictureOutcome::kProcessed;
  r.outputs = {"o\"1.jpg"};
  r.bytes = 10;
  EXPECT_EQ(cli::ManifestLine("s\\a\n.jpg", r),
            "{\"source\":\"s\\\\a\\u000a.jpg\",\"outputs\":[\"o\\\"1.jpg\"],"
            "\"result\":\"processed\",\"bytes\":10,\"ms\":0}\n");
}

#ifndef _WIN32  // names that are not text
TEST(RunFilesTest, NamesOfAnyBytesStayReadableAndNoCellRunsAsAFormula) {
  PictureResult r;
  r.outcome = PictureOutcome::kReadFailed;
  // Latin-1, cut UTF-8 and a lone continuation byte: escaped one by one.
  EXPECT_EQ(cli::ManifestLine("caf\xE9/\xE6\xB0/\x80\xE6\xB0\xB4.jpg", r),
            "{\"source\":\"caf\\udce9/\\udce6\\udcb0/\\udc80\xE6\xB0\xB4.jpg\","
            "\"outputs\":[],\"result\":\"read_failed\",\"bytes\":0,\"ms\":0}\n");
  const std::string csv = RunReportCsv({{"=HYPERLINK(\"x\")", r, {}},
                                        {"-2+3.jpg", r, {}},
                                        {"@a.jpg", r, {}},
                                        {"\xD6\xD0\xCE\xC4.jpg", r, {}}});  // 中文.jpg in GBK
  EXPECT_NE(csv.find("\r\n\"'=HYPERLINK(\"\"x\"\")\","), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n'-2+3.jpg,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n'@a.jpg,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n中文.jpg,"), std::string::npos) << csv;
}
#endif

// The page of a large run: every picture a row, the failed ones first,
// any name only ever text, each view the output itself by its own address.
TEST(RunFilesTest, ReportPageListsTheFailedFirstAndEscapesEveryName) {
  std::vector<ReportRow> rows;
  for (int i = 0; i < 10000; ++i) {
    PictureResult r;
    r.outcome = i % 1000 == 999 ? PictureOutcome::kReadFailed : PictureOutcome::kProcessed;
    const std::string name = "a b<i>&\"'" + std::to_string(i) + ".jpg";
    r.outputs = {"/t/sub/" + name};
    rows.push_back({"/s/sub/" + name, r, {"<script>"}});
  }
  rows.push_back({"/s/\xD6\xD0.jpg", rows.front().result, {}});  // 中 in GBK
#ifndef _WIN32  // a backslash is a character of a name here, not a folder
  PictureResult back = rows.front().result;
  back.outputs = {"/t/back\\slash.jpg"};
  rows.push_back({"/s/back\\slash.jpg", back, {}});
  constexpr size_t kRows = 10003, kViews = 9992;
#else
  constexpr size_t kRows = 10002, kViews = 9991;
#endif
  const std::string page = RunReportHtml(rows, "/t", "<ops>");
  auto count = [&page](const std::string& what) {
    size_t n = 0;
    for (size_t at = page.find(what); at != std::string::npos; at = page.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<tr"), kRows);
  EXPECT_EQ(count("<tr class=\"look\">"), 10u);
  EXPECT_LT(page.rfind("<tr class=\"look\">"), page.find("<tr><td>"));
  EXPECT_EQ(count("<i>") + count("<script") + count("<ops>"), 0u);
  EXPECT_EQ(count(" loading=\"lazy\""), kViews);
  EXPECT_NE(page.find(" src=\"sub/a%20b%3Ci%3E%26%22%275.jpg\""), std::string::npos);
  EXPECT_NE(page.find("<td>/s/中.jpg</td>"), std::string::npos);
#ifndef _WIN32
  EXPECT_NE(page.find("<a href=\"back%5Cslash.jpg\">back\\slash.jpg</a>"), std::string::npos);
#endif
}

TEST(CliRunTest, ShardsShareTheJobAndAResumedRunLeavesWhatIsDone) {
  TempDir dir;
  dir.MakeFolder("src/sub");
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "sub/d.jpg", "sub/e.jpg"}) {
    MakePictureFile(dir / ("src/" + std::string(name)), 60, 40, "red", "JPEG");
  }
  for (const char* shard : {"0/2", "1/2"}) {
    EXPECT_EQ(RunBatch(dir.path(), std::string("--source src --target out --subfolders --shard ") +
                                       shard + " --manifest m.jsonl"),
              0);
  }
  auto lines = [&] {
    std::vector<std::string> v;
    std::istringstream in(ReadWholeFile(dir / "m.jsonl"));
    for (std::string line; std::getline(in, line);) v.push_back(line);
    return v;
  };
  EXPECT_EQ(lines().size(), 5u);  // each picture once, by one shard or the other
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "sub/d.jpg", "sub/e.jpg"}) {
    EXPECT_TRUE(FileExists(dir / ("out/" + std::string(name)))) << name;
  }
  // Resumed: a complete, newer output is left; a cut one and a changed source are redone.
  dir.WriteFile("out/b.jpg", ReadWholeFile(dir / "out/b.jpg").substr(0, 100));
  fs::last_write_time(dir / "src/c.jpg", fs::file_time_type::clock::now() + std::chrono::hours(1));
  fs::remove(dir / "m.jsonl");
  for (const char* shard : {"0/2", "1/2"}) {
    EXPECT_EQ(RunBatch(dir.path(), std::string("--source src --target out --subfolders --shard ") +
                                       shard + " --skip-done --overwrite yes --manifest m.jsonl"),
              0);
  }
  int skipped = 0;
  for (const auto& line : lines())
    skipped += line.find("\"result\":\"skipped\"") != std::string::npos;
  EXPECT_EQ(skipped, 3);
  EXPECT_TRUE(LoadForTest(dir / "out/b.jpg"));
}

TEST(CliRunTest, DefaultTargetLiesBesideTheSourceHoweverItIsWritten) {
  TempDir dir;
  dir.MakeFolder("src");
  MakePictureFile(dir / "src/a.jpg", 200, 100, "red", "JPEG");
  EXPECT_EQ(RunBatch(dir.path(), "--source src/ --subfolders"), 0);
  EXPECT_TRUE(FileExists(dir / "src_处理后/a.jpg"));
  EXPECT_EQ(RunBatch(dir / "src", "--source . --subfolders"), 0);
  EXPECT_TRUE(FileExists(dir / "src_处理后2/a.jpg"));
  for (const auto& e : fs::directory_iterator(dir / "src"))
    EXPECT_FALSE(e.is_directory()) << e.path();
}

TEST(CliRunTest, OptionsApplyToTheirRunUnlessSaved) {
  TempDir dir;
  dir.MakeFolder("src");
  MakePictureFile(dir / "src/a.jpg", 200, 100, "red", "JPEG");
  auto bold = [&] {
    const std::string config = ReadWholeFile(dir / "config.dat");
    return config.find("sy_text_isWeight=1") != std::string::npos;
  };
  ASSERT_EQ(RunBatch(dir.path(), "--source src --target o1 --bold --width 100"), 0);
  EXPECT_FALSE(bold());
  EXPECT_EQ(ReadWholeFile(dir / "config.dat").find("width=100"), std::string::npos);
  ASSERT_EQ(RunBatch(dir.path(), "--source src --target o2 --bold --save-settings"), 0);
  EXPECT_TRUE(bold());
  ASSERT_EQ(RunBatch(dir.path(), "--source src --target o3 --no-bold --save-settings"), 0);
  EXPECT_FALSE(bold());
}

#ifndef _WIN32  // signals to a child the test forks
TEST(CliRunTest, TerminatedRunLeavesNoTemporaryFileAndKeepsItsRecord) {
  TempDir dir;
  dir.MakeFolder("src");
  for (int i = 0; i < 30; ++i) {
    SavePicture(WithNoise(MakePicture(1600, 1200, "gray")),
                dir / ("src/p" + std::to_string(i) + ".jpg"), "JPEG", 90);
  }
  for (int signal : {SIGTERM, SIGINT}) {
    const std::string out = dir / ("out" + std::to_string(signal));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      if (freopen("/dev/null", "w", stderr) == nullptr) _exit(126);
      execl(LUMIVANE_BATCH_BINARY, "lumivane-batch", "--source", "src", "--target", out.c_str(),
            "--workers", "2", static_cast<char*>(nullptr));
      _exit(127);
    }
    // Caught while writing: the first outputs are there, most are not.
    for (int i = 0; i < 3000 && CountFiles(out) < 2; ++i) usleep(2000);
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    for (const auto& e : fs::directory_iterator(out)) {
      EXPECT_NE(e.path().extension(), ".tmp") << e.path();
    }
    EXPECT_LT(CountFiles(out), 30) << "the run was not caught in the middle";
    // The pictures in hand were finished and the record kept: every
    // picture in the report, those not reached too.
    const std::string report = ReadWholeFile(out + "/处理报告.csv");
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 31) << report;
    EXPECT_NE(report.find("未处理（中途停止）"), std::string::npos);
  }
}
#endif

// --watch: after the run, a picture renamed in and one written in two
// halves a second apart are each made once whole; Ctrl+C ends it cleanly.
#ifndef _WIN32  // a child the test forks, and a shell script
TEST(CliRunTest, AWatchedFolderProcessesWhatArrivesOnceItIsWritten) {
  TempDir dir;
  dir.MakeFolder("src");
  SavePicture(MakePicture(300, 200, "gray"), dir / "src/a.jpg", "JPEG", 90);
  SavePicture(WithNoise(MakePicture(1200, 900, "teal")), dir / "whole.jpg", "JPEG", 90);
  const std::string whole = ReadWholeFile(dir / "whole.jpg");
  const std::string out = dir / "out";
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (freopen((dir / "log.txt").c_str(), "w", stderr) == nullptr) _exit(126);
    execl(LUMIVANE_BATCH_BINARY, "lumivane-batch", "--source", (dir / "src").c_str(), "--target",
          out.c_str(), "--watch", "--workers", "1", static_cast<char*>(nullptr));
    _exit(127);
  }
  auto wait_for = [](const std::string& path) {
    for (int i = 0; i < 400 && !std::filesystem::exists(path); ++i) usleep(50000);
    return std::filesystem::exists(path);
  };
  ASSERT_TRUE(wait_for(out + "/a.jpg"));
  dir.WriteFile("src/b.jpg.part", whole);
  std::filesystem::rename(dir / "src/b.jpg.part", dir / "src/b.jpg");
  dir.WriteFile("src/c.jpg", whole.substr(0, whole.size() / 2));
  sleep(1);
  dir.WriteFile("src/c.jpg", whole);
  EXPECT_TRUE(wait_for(out + "/b.jpg"));
  EXPECT_TRUE(wait_for(out + "/c.jpg"));
  sleep(1);
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
  const auto c = LoadForTest(out + "/c.jpg");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->width(), 1200);  // made from the whole picture, not its first half
  const std::string log = ReadWholeFile(dir / "log.txt");
  EXPECT_EQ(log.find("出错"), std::string::npos) << log;
  for (const auto& e : std::filesystem::directory_iterator(out)) {
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
  }
  // Started again, it goes on: what is made is left, nothing is asked.
  const std::string command =
      "cd '" + dir.path() +
      "' && (" LUMIVANE_BATCH_BINARY
      " --source src --target out --watch 2>again.txt & for i in $(seq 100); do "
      "grep -q watching again.txt && break; sleep 0.2; done; kill -INT $!; wait $!) </dev/null";
  const int code = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(code), 128 + SIGINT);
  const std::string again = ReadWholeFile(dir / "again.txt");
  EXPECT_NE(again.find("watching"), std::string::npos) << again;
  EXPECT_EQ(again.find("出错"), std::string::npos) << again;
}
#endif

#ifndef _WIN32
// Runs `script` with bash in `folder`, the program's path in $BATCH.
int RunScript(const std::string& folder, const std::string& script) {
  const std::string command = "cd '" + folder + "' && BATCH='" LUMIVANE_BATCH_BINARY "' bash -c '" +
                              script + "' </dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

#ifndef _WIN32  // a shell script
TEST(CliRunTest, PresetsSavedByTheWindowAreFoundFromAnyFolder) {
  TempDir dir;
  dir.MakeFolder("src");
  SavePicture(MakePicture(900, 600, "gray"), dir / "src/a.jpg", "JPEG");
  // The window's own folder, as it made it, with a preset saved there.
  dir.WriteFile("data/lumivane/res.dat", "");
  ExtraOperations square;
  square.square = true;
  ASSERT_TRUE(SaveUserPreset(dir / "data/lumivane", {"我的方图", "", "", 300, square}));
  // Saved before a built-in's name was refused: listed as never taken.
  ASSERT_TRUE(SaveUserPreset(dir / "data/lumivane", {"主图", "", "", 300, square}));
  EXPECT_EQ(RunScript(dir.path(),
                      "export XDG_DATA_HOME=$PWD/data; $BATCH --list-presets >list.txt"
                      " && $BATCH --source src --target out --preset 我的 >out.txt"),
            0);
  EXPECT_NE(ReadWholeFile(dir / "list.txt").find("我的方图"), std::string::npos);
  EXPECT_NE(ReadWholeFile(dir / "list.txt").find("主图（与内置预设同名，--preset 用内置的）"),
            std::string::npos);
  const auto made = LoadForTest(dir / "out/a.jpg");
  ASSERT_TRUE(made);
  EXPECT_EQ(made->width(), 300);
  EXPECT_EQ(made->height(), 300);
}
#endif

#ifndef _WIN32  // pipes, /dev/full and a shell script
TEST(CliRunTest, ManifestAndReportThatCannotBeWrittenAreToldAndFailTheRun) {
  TempDir dir;
  dir.MakeFolder("src");
  for (int i = 0; i < 40; ++i) {
    SavePicture(WithNoise(MakePicture(400, 300, "gray")),
                dir / ("src/p" + std::to_string(i) + ".jpg"), "JPEG", 90);
  }
  // A reader that goes away: told, the files being written removed, 141.
  RunScript(dir.path(),
            "{ $BATCH --source src --target o1 --workers 2 --manifest - 2>err.txt; "
            "echo $? >code.txt; } | head -c 10 >/dev/null");
  EXPECT_EQ(ReadWholeFile(dir / "code.txt"), "141\n");
  EXPECT_NE(ReadWholeFile(dir / "err.txt").find("closed the pipe"), std::string::npos);
  for (const auto& e : fs::directory_iterator(dir / "o1")) {
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
  }
  // A full disk, a closed standard output, a folder where the report goes.
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target o2 --manifest /dev/full"), 3);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("保存 /dev/full 出错"), std::string::npos);
  EXPECT_EQ(RunScript(dir.path(), "$BATCH --source src --target o3 --manifest - >&- 2>err.txt"), 3);
  EXPECT_NE(ReadWholeFile(dir / "err.txt").find("保存 - 出错"), std::string::npos);
  dir.MakeFolder("o4/处理报告.csv");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target o4"), 3);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("保存 o4/处理报告.csv 出错"), std::string::npos);
}
#endif

TEST(CliRunTest, RefusedRunLeavesTheLastReportAsItWas) {
  TempDir dir;
  dir.MakeFolder("src");
  MakePictureFile(dir / "src/a.jpg", 200, 100, "red", "JPEG");
  MakePictureFile(dir / "src/b.jpg", 200, 100, "red", "JPEG");
  ASSERT_EQ(RunBatch(dir.path(), "--source src --target out"), 0);
  const std::string report = ReadWholeFile(dir / "out/处理报告.csv");
  // b changed since: a is done, b's output is in the way and not to be replaced.
  MakePictureFile(dir / "src/b.jpg", 300, 100, "blue", "JPEG");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --skip-done --overwrite no"), 1);
  EXPECT_EQ(ReadWholeFile(dir / "out/处理报告.csv"), report);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("按 --overwrite no 保留了原文件"),
            std::string::npos);
  EXPECT_EQ(ReadWholeFile(dir / "out.txt").find("你取消了"), std::string::npos);
  RunBatch(dir.path(), "--source src --target out");
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("--overwrite no to end the run"),
            std::string::npos);
  // Resumed, only b is left to do: the hint does not offer --skip-done again.
  RunBatch(dir.path(), "--source src --target out --skip-done");
  EXPECT_EQ(ReadWholeFile(dir / "out.txt").find("--skip-done"), std::string::npos);
}

TEST(CliRunTest, ResumedRunLeavesOnlyWhatItsLastRunFinishedWithTheseSettings) {
  TempDir dir;
  dir.MakeFolder("src");
  SavePicture(WithNoise(MakePicture(200, 4000, "gray")), dir / "src/long.jpg", "JPEG", 90);
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
    SavePicture(WithNoise(MakePicture(300, 200, "teal")), dir / ("src/" + std::string(name)),
                "JPEG", 90);
  }
  const std::string job = "--source src --target out --slice-height 400 --overwrite yes ";
  auto resume = [&](const std::string& more = "") {
    fs::remove(dir / "m.jsonl");
    return RunBatch(dir.path(), job + "--skip-done --manifest m.jsonl " + more);
  };
  ASSERT_EQ(RunBatch(dir.path(), job), 0);
  ASSERT_TRUE(FileExists(dir / "out/long_10.jpg"));
  EXPECT_EQ(resume(), 0);
  EXPECT_EQ(Results(dir / "m.jsonl")["long.jpg"], "skipped");
  EXPECT_NE(ReadWholeFile(dir / "m.jsonl").find("out/long_10.jpg"), std::string::npos);
  // Settings of a mark that is off make nothing again.
  EXPECT_EQ(resume("--color '#ff0000' --text-position left,top --image-margins 5,5"), 0);
  for (const auto& [name, result] : Results(dir / "m.jsonl")) EXPECT_EQ(result, "skipped") << name;

  // A part missing; an output cut in the middle that still ends as a JPEG
  // does; a source replaced by an older file; an output replaced by a link.
  fs::remove(dir / "out/long_07.jpg");
  const std::string a = ReadWholeFile(dir / "out/a.jpg");
  dir.WriteFile("out/a.jpg", a.substr(0, a.size() / 2) + a.substr(a.size() - 2));
  const auto b_time = fs::last_write_time(dir / "src/b.jpg");
  SavePicture(MakePicture(300, 200, "red"), dir / "src/b.jpg", "JPEG", 90);
  fs::last_write_time(dir / "src/b.jpg", b_time - std::chrono::hours(24));
  fs::remove(dir / "out/c.jpg");
#ifdef _WIN32  // links need a right users seldom have there: a copy stands in
  fs::copy_file(dir / "out/d.jpg", dir / "out/c.jpg");
#else
  fs::create_symlink("d.jpg", dir / "out/c.jpg");
#endif
  EXPECT_EQ(resume(), 0);
  auto results = Results(dir / "m.jsonl");
  for (const char* redone : {"long.jpg", "a.jpg", "b.jpg", "c.jpg"}) {
    EXPECT_EQ(results[redone], "processed") << redone;
  }
  EXPECT_EQ(results["d.jpg"], "skipped");
  EXPECT_TRUE(FileExists(dir / "out/long_07.jpg"));
  EXPECT_FALSE(fs::is_symlink(dir / "out/c.jpg"));

  // A picture over its size cap is not done, however often it is resumed.
  EXPECT_EQ(resume("--max-kb 10"), 3);
  EXPECT_EQ(resume("--max-kb 10"), 3);
  EXPECT_EQ(Results(dir / "m.jsonl")["d.jpg"], "over_limit");

  // Other settings make other outputs; parts the picture no longer has stay.
  EXPECT_EQ(resume("--width 100"), 0);
  EXPECT_EQ(Results(dir / "m.jsonl")["d.jpg"], "processed");
  EXPECT_TRUE(FileExists(dir / "out/long_05.jpg"));
  EXPECT_TRUE(FileExists(dir / "out/long_06.jpg"));
}

}  // namespace
}  // namespace lumivane
