// Outputs never land in the source tree nor outside the target, however
// the folders are named and whatever links lie in either tree.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/run/folder_scan.h"
#include "tests/picture_fixtures.h"
#include "tests/run_fixture.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;

class FolderSafetyTest : public RunFixture {
 protected:
  void Picture(const std::string& path) {
    MakePictureFile(path, 64, 48, "orange", "JPEG");
    originals_.emplace_back(path, ReadWholeFile(path));
  }
  void ExpectOriginalsUntouched() {
    for (const auto& [path, bytes] : originals_) EXPECT_EQ(ReadWholeFile(path), bytes) << path;
  }
  std::vector<std::pair<std::string, std::string>> originals_;
};

TEST_F(FolderSafetyTest, SourceFolderIsKnownHoweverItIsNamed) {
  Picture(src_ + "/a.jpg");
  Picture(dir_.MakeFolder("src/in/in") + "/deep.jpg");
  request_.inputs.subfolders = true;
  port_.answers = {true, true};

  // A second mount of the source is the source.
  const std::string bound = dir_.MakeFolder("bound");
  if (mount(src_.c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) == 0) {
    request_.inputs.target = bound;
    Run();
    request_.inputs.target = bound + "/out";
    Run();
    umount(bound.c_str());
    EXPECT_EQ(port_.Calls("message"),
              (std::vector<std::string>{
                  "提示|处理后保存到的文件夹不能是图片源文件夹|error",
                  "提示|不能将处理后的图片保存到图片源文件夹中的子文件夹里|error"}));
    EXPECT_FALSE(IsDirectory(src_ + "/out"));  // nothing is made for a refused run
  }

  // A source inside the target: its folder "in/in" would mirror onto "in".
  port_.ClearCalls();
  request_.inputs.source = src_ + "/in";
  request_.inputs.target = src_;
  EXPECT_EQ(Run().end, RunEnd::kRefused);
  EXPECT_EQ(port_.Calls("message"),
            std::vector<std::string>{"提示|不能将处理后的图片保存到图片源文件夹里|error"});
  EXPECT_EQ(Focus(), "target");
  ExpectOriginalsUntouched();
}

TEST_F(FolderSafetyTest, LinksAreNeitherWrittenThroughNorFollowedOutOfTheTree) {
  Picture(src_ + "/a.jpg");
  Picture(dir_.MakeFolder("src/sub") + "/b.jpg");
  Picture(dir_.MakeFolder("src/kept") + "/c.jpg");
  const std::string elsewhere = dir_.MakeFolder("elsewhere");
  Picture(elsewhere + "/b.jpg");
  ASSERT_EQ(symlink("..", (src_ + "/up").c_str()), 0);
  ASSERT_EQ(symlink("/", (src_ + "/root").c_str()), 0);
  ASSERT_EQ(symlink(elsewhere.c_str(), (dir_.MakeFolder("target") + "/sub").c_str()), 0);
  request_.inputs.subfolders = true;
  port_.answers = {true};
  const RunOutcome summary = Run();
  ExpectOriginalsUntouched();
  EXPECT_TRUE(FileExists(target_ + "/a.jpg"));
  EXPECT_TRUE(FileExists(target_ + "/kept/c.jpg"));
  EXPECT_EQ(
      port_.Calls("log"),
      (std::vector<std::string>{
          "未进入文件夹链接 " + src_ + "/root：它指向图片源文件夹以外或处理后保存到的文件夹",
          "未进入文件夹链接 " + src_ + "/up：它指向图片源文件夹以外或处理后保存到的文件夹",
          "处理：质量 95", "未保存到 " + target_ + "/sub：处理后保存到的文件夹里的链接不会被写入",
          ReportLine(target_)}));
  EXPECT_EQ(summary.processed, 2);
  EXPECT_FALSE(summary.Complete());
}

TEST_F(FolderSafetyTest, FoldersBeyondTheLongestPathAreToldNotSkippedSilently) {
  // Twenty levels of 250-byte names: deeper than any path the system takes.
  const std::string name(250, 'd');
  int fd = open(src_.c_str(), O_DIRECTORY | O_RDONLY);
  for (int level = 0; level < 20 && fd >= 0; ++level) {
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0777), 0);
    const int next = openat(fd, name.c_str(), O_DIRECTORY | O_RDONLY);
    close(fd);
    fd = next;
  }
  ASSERT_GE(fd, 0);
  close(fd);
  request_.inputs.subfolders = true;
  const RunOutcome summary = Run();
  const auto logged = port_.Calls("log");
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0].rfind("路径太长，未能读取文件夹 " + src_ + "/" + name, 0), 0u);
  EXPECT_FALSE(summary.Complete());
}

}  // namespace
}  // namespace lumivane
