// A run removes nothing it did not write, and takes what it finds in a
// target folder others may write (outputs of other runs, a journal) as
// input to check, never as its own memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>

#include "engine/run/folder_scan.h"
#include "tests/batch_cli.h"
#include "tests/picture_fixtures.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;
namespace fs = std::filesystem;

TEST(RunOwnershipTest, OutputsOfOtherRunsAndFilesOfTheUserStay) {
  TempDir dir;
  dir.MakeFolder("spring");
  dir.MakeFolder("summer");
  MakePictureFile(dir / "spring/a.jpg", 60, 40, "red", "JPEG");
  MakePictureFile(dir / "summer/a.jpg", 60, 40, "blue", "JPEG");
  EXPECT_EQ(RunBatch(dir.path(), "--source spring --target up --rename 'spring_{name}'"), 0);
  // No name is shared: nothing to ask, nothing to remove.
  EXPECT_EQ(RunBatch(dir.path(), "--source summer --target up --rename 'summer_{name}'"), 0);
  EXPECT_EQ(RunBatch(dir.path(),
                     "--source summer --target up --rename 'summer_{name}' "
                     "--format png --overwrite yes"),
            0);
  for (const char* name : {"spring_a.jpg", "summer_a.jpg", "summer_a.png"}) {
    EXPECT_TRUE(FileExists(dir / ("up/" + std::string(name)))) << name;
  }

  // A cut picture cut again into fewer parts: the surplus parts stay, each
  // told, and a file the user put at a part's name is not mentioned.
  dir.MakeFolder("src");
  SavePicture(WithNoise(MakePicture(200, 4000, "gray")), dir / "src/long.jpg", "JPEG", 90);
  ASSERT_EQ(RunBatch(dir.path(), "--source src --target out --slice-height 400"), 0);
  ASSERT_TRUE(FileExists(dir / "out/long_10.jpg"));
  dir.WriteFile("out/long_10.jpg", std::string(4000, 'u'));
  EXPECT_EQ(RunBatch(dir.path(),
                     "--source src --target out --slice-height 400 --width 100 --overwrite yes"),
            0);
  EXPECT_TRUE(FileExists(dir / "out/long_05.jpg"));
  EXPECT_TRUE(FileExists(dir / "out/long_06.jpg"));
  EXPECT_EQ(ReadWholeFile(dir / "out/long_10.jpg"), std::string(4000, 'u'));
  const std::string said = ReadWholeFile(dir / "out.txt");
  EXPECT_NE(said.find("未删除 out/long_09.jpg"), std::string::npos) << said;
  EXPECT_EQ(said.find("long_10.jpg"), std::string::npos) << said;
  // Parts of a picture whose header does not tell its size (a GIF under a
  // .jpg name): any existing part of its name is asked about first.
  dir.MakeFolder("gifs");
  SavePicture(MakePicture(40, 300, "red"), dir / "gifs/g.jpg", "GIF");
  ASSERT_EQ(RunBatch(dir.path(), "--source gifs --target parts --slice-height 100"), 0);
  fs::remove(dir / "parts/g_01.jpg");
  EXPECT_EQ(RunBatch(dir.path(), "--source gifs --target parts --slice-height 100"), 1);
  // Other settings without cutting leave every part alone.
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --overwrite yes"), 0);
  EXPECT_TRUE(FileExists(dir / "out/long_05.jpg"));
}

#ifndef _WIN32  // links and /dev/full
TEST(RunOwnershipTest, AJournalIsCheckedInputNeverFollowedNorTrusted) {
  TempDir dir;
  dir.MakeFolder("src");
  dir.MakeFolder("out");
  MakePictureFile(dir / "src/a.jpg", 60, 40, "red", "JPEG");
  const std::string victim = dir.WriteFile("victim.txt", "keep me");
  // Lines naming a file outside the target as the picture's output, in
  // every form a journal has had, in this run's journal and a shard's.
  const std::string forged =
      "done\t1\ta.jpg\t1\t1\tkey\t../victim.txt\t7\n"
      "done2\t2\ta.jpg\t1\t1\t1\t1\t1\tkey\t../victim.txt\t7\t1\n"
      "redo2\t3\t../a.jpg\t1\t1\t1\t1\t1\tkey\t../victim.txt\t7\t1\n";
  dir.WriteFile("out/.lumivane-journal.txt", forged);
  dir.WriteFile("out/.lumivane-journal.0-of-2.txt", forged);
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --slice-height 100 --overwrite yes"),
            0);
  EXPECT_EQ(ReadWholeFile(victim), "keep me");

  // A journal that is a link (appended through, it would write anywhere)
  // or a FIFO (it would hang the run): told once, not used, the run goes on.
  fs::remove(dir / "out/.lumivane-journal.txt");
  fs::create_symlink(victim, dir / "out/.lumivane-journal.txt");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --overwrite yes --skip-done"), 0);
  EXPECT_EQ(ReadWholeFile(victim), "keep me");
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("未使用续做记录"), std::string::npos);
  fs::remove(dir / "out/.lumivane-journal.txt");
  ASSERT_EQ(mkfifo((dir / "out/.lumivane-journal.txt").c_str(), 0600), 0);
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --overwrite yes"), 0);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("未使用续做记录"), std::string::npos);

  // A last line a kill cut short: the next line starts on a line of its own.
  fs::remove(dir / "out/.lumivane-journal.txt");
  dir.WriteFile("out/.lumivane-journal.txt", "done2\t12");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --overwrite yes"), 0);
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --skip-done --manifest m.jsonl"), 0);
  EXPECT_EQ(Results(dir / "m.jsonl")["a.jpg"], "skipped");

  // Lines longer than any the program writes, one ended and one not: each
  // skipped and counted once, the rest still read.
  const std::string journal = ReadWholeFile(dir / "out/.lumivane-journal.txt");
  dir.WriteFile("out/.lumivane-journal.txt",
                std::string(3 << 20, 'x') + "\n" + journal + std::string(3 << 20, 'y'));
  fs::remove(dir / "m.jsonl");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --skip-done --manifest m.jsonl"), 0);
  EXPECT_EQ(Results(dir / "m.jsonl")["a.jpg"], "skipped");
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find(" 里有 2 行过长"), std::string::npos);

  // A journal with a second name elsewhere is never written, so it is not
  // trusted for skipping either; the reason is told.
  fs::create_hard_link(dir / "out/.lumivane-journal.txt", dir / "elsewhere.txt");
  fs::remove(dir / "m.jsonl");
  EXPECT_EQ(RunBatch(dir.path(),
                     "--source src --target out --skip-done --overwrite yes --manifest m.jsonl"),
            0);
  EXPECT_EQ(Results(dir / "m.jsonl")["a.jpg"], "processed");
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("硬链接"), std::string::npos);
  // A manifest that cannot be written says why.
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target out --overwrite yes --manifest /dev/full"),
            3);
  EXPECT_NE(ReadWholeFile(dir / "out.txt").find("保存 /dev/full 出错：磁盘已满"),
            std::string::npos);
}
#endif

TEST(RunOwnershipTest, ShardsDecideClashesAsOneRunDoes) {
  TempDir dir;
  dir.MakeFolder("src");
  for (int i = 1; i <= 6; ++i) {
    const std::string x = "src/x" + std::to_string(i);
    MakePictureFile(dir / (x + ".png"), 40, 30, "red", "PNG");
    MakePictureFile(dir / (x + ".png.jpg"), 40, 30, "blue", "JPEG");
  }
  for (int round = 0; round < 2; ++round) {
    fs::remove(dir / "m.jsonl");
    int failed = 0;
    for (const char* shard : {"0/2", "1/2"}) {
      failed += RunBatch(dir.path(), std::string("--source src --target out --skip-done "
                                                 "--overwrite yes --manifest m.jsonl --shard ") +
                                         shard) != 0;
    }
    EXPECT_GT(failed, 0);  // the clashes fail the job, every round
    int processed = 0, clashes = 0;
    for (const auto& [name, result] : Results(dir / "m.jsonl")) {
      processed += result == "processed" || result == "skipped";
      clashes += result == "name_clash";
    }
    EXPECT_EQ(processed, 6);
    EXPECT_EQ(clashes, 6);
  }
  // The first in name order keeps the name, whichever shard has it.
  for (int i = 1; i <= 6; ++i) {
    const auto out = LoadForTest(dir / ("out/x" + std::to_string(i) + ".png.jpg"));
    ASSERT_TRUE(out);
    EXPECT_TRUE(IsNear(PixelAt(*out, 20, 15), 1, 0, 0)) << i;
  }
}

TEST(RunOwnershipTest, ResumeRedoesWhatItCannotTellIsDone) {
  TempDir dir;
  dir.MakeFolder("src");
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
    MakePictureFile(dir / ("src/" + std::string(name)), 40, 30, "red", "BMP");
  }
  const std::string job = "--source src --target out --rename 'item_{n}' --overwrite yes ";
  auto resume = [&] {
    fs::remove(dir / "m.jsonl");
    return RunBatch(dir.path(), job + "--skip-done --manifest m.jsonl");
  };
  ASSERT_EQ(RunBatch(dir.path(), job), 0);
  // A new picture moves the numbers: the pictures now named otherwise are
  // made again, and one run settles it.
  MakePictureFile(dir / "src/a2.bmp", 40, 30, "blue", "BMP");
  EXPECT_EQ(resume(), 0);
  auto results = Results(dir / "m.jsonl");
  EXPECT_EQ(results["a.bmp"], "skipped");
  for (const char* redone : {"a2.bmp", "b.bmp", "c.bmp"}) EXPECT_EQ(results[redone], "processed");
  EXPECT_TRUE(IsNear(PixelAt(*LoadForTest(dir / "out/item_2.jpg"), 5, 5), 0, 0, 1));
  EXPECT_EQ(resume(), 0);
  for (const auto& [name, result] : Results(dir / "m.jsonl")) EXPECT_EQ(result, "skipped") << name;

  // A source replaced by a file of the same size and time (cp -p) is new.
  MakePictureFile(dir / "blue.bmp", 40, 30, "blue", "BMP");
  const auto when = fs::last_write_time(dir / "src/c.bmp");
  fs::remove(dir / "src/c.bmp");
  fs::copy_file(dir / "blue.bmp", dir / "src/c.bmp");
  fs::last_write_time(dir / "src/c.bmp", when);
  EXPECT_EQ(resume(), 0);
  EXPECT_EQ(Results(dir / "m.jsonl")["c.bmp"], "processed");
  EXPECT_TRUE(IsNear(PixelAt(*LoadForTest(dir / "out/item_4.jpg"), 5, 5), 0, 0, 1));
}

TEST(RunOwnershipTest, BracesAreNamesOutsideARenamePattern) {
  TempDir dir;
  dir.MakeFolder("src");
  MakePictureFile(dir / "src/p{w}.jpg", 60, 40, "red", "JPEG");
  EXPECT_EQ(RunBatch(dir.path(), "--source src --target 'out{w}' --width 30"), 0);
  EXPECT_TRUE(FileExists(dir / "out{w}/p{w}.jpg"));
  // A name holding the size is known from the header: a file of the same
  // pattern at another size is not in the way, the one at this size is.
  dir.WriteFile("out/p{w}_99.jpg", "mine");
  const std::string sized = "--source src --target out --width 30 --rename '{name}_{w}'";
  EXPECT_EQ(RunBatch(dir.path(), sized), 0);
  EXPECT_TRUE(FileExists(dir / "out/p{w}_30.jpg"));
  EXPECT_EQ(ReadWholeFile(dir / "out/p{w}_99.jpg"), "mine");
  EXPECT_EQ(RunBatch(dir.path(), sized), 1);

  // A trimmed product's size is the pixels' own: named once it is made.
  dir.MakeFolder("shots");
  SavePicture(MakePicture(200, 100, "white").insert(MakePicture(50, 40, "red"), 20, 30),
              dir / "shots/x.png", "PNG");
  EXPECT_EQ(RunBatch(dir.path(), "--source shots --target trimmed --trim 10 --rename '{name}_{w}'"),
            0);
  const auto made = ListPictureFiles(dir / "trimmed");
  ASSERT_TRUE(made && made->count() == 1);
  const std::string name = made->items[0];
  const auto picture = LoadForTest(dir / ("trimmed/" + name));
  ASSERT_TRUE(picture);
  EXPECT_EQ(name, "x_" + std::to_string(picture->width()) + ".jpg");
  EXPECT_LT(picture->width(), 200);
  // Braces in the picture's own name are not its size there either: a
  // second run finds its output (to keep, or as done).
  fs::rename(dir / "shots/x.png", dir / "shots/x{w}.png");
  const std::string trimmed = "--source shots --target braces --trim 10 --rename '{name}_{w}'";
  EXPECT_EQ(RunBatch(dir.path(), trimmed), 0);
  EXPECT_EQ(RunBatch(dir.path(), trimmed + " --overwrite no"), 1);
  EXPECT_EQ(RunBatch(dir.path(), trimmed + " --skip-done --manifest m.jsonl"), 0);
  EXPECT_NE(ReadWholeFile(dir / "m.jsonl").find("\"result\":\"skipped\""), std::string::npos);
}

}  // namespace
}  // namespace lumivane
