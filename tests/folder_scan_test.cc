#include "engine/run/folder_scan.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using ::lumivane::testing::TempDir;

TEST(FolderScanTest, SubfoldersComeInDepthFirstPreOrderByNameWithoutDotFolders) {
  TempDir dir;
  dir.MakeFolder("Top/b10");
  dir.MakeFolder("Top/B2");
  dir.MakeFolder("Top/a/Inner");
  dir.MakeFolder("Top/.cache/Hidden");
  StringList list = StringListNew();
  ListSubfolders(dir / "Top", list, true);
  EXPECT_EQ(list.items, (std::vector<std::string>{dir / "Top/a", dir / "Top/a/Inner",
                                                  dir / "Top/B2", dir / "Top/b10"}));
}

TEST(FolderScanTest, NonRecursiveListingStaysOneLevelDeep) {
  TempDir dir;
  dir.MakeFolder("Top/One/Inner");
  StringList list = StringListNew();
  ListSubfolders(dir / "Top", list, false);
  EXPECT_EQ(list.items, std::vector<std::string>{dir / "Top/One"});
}

#ifndef _WIN32  // links made as POSIX makes them
TEST(FolderScanTest, SymbolicLinkLoopIsEnteredOnlyOnce) {
  TempDir dir;
  dir.MakeFolder("Top/A");
  ASSERT_EQ(symlink((dir / "Top").c_str(), (dir / "Top/A/back").c_str()), 0);
  ASSERT_EQ(symlink((dir / "Top/A").c_str(), (dir / "Top/0A").c_str()), 0);
  StringList list = StringListNew();
  ListSubfolders(dir / "Top", list, true);
  // Top/A once, under its own name though its link comes first; the loop
  // back to Top is never taken.
  EXPECT_EQ(list.items, std::vector<std::string>{dir / "Top/A"});
}
#endif

TEST(FolderScanTest, PictureFilesAreChosenByTheirLastExtensionInAnyCase) {
  TempDir dir;
  for (const char* name : {"IMG.JPG", "a.Jpeg", "b.PNG", "logo.bmp", ".jpg", "d.gif", "e.jpg.txt",
                           "noext", "p.HEIC", "w.webp", "z.zip", "f.jfif", "g.JPE"}) {
    dir.WriteFile(std::string("pics/") + name, "x");
  }
  dir.MakeFolder("pics/folder.jpg");
  int passed_over = 0;
  auto list = ListPictureFiles(dir / "pics", &passed_over);
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ(list->items,
            (std::vector<std::string>{".jpg", "a.Jpeg", "b.PNG", "d.gif", "f.jfif", "g.JPE",
                                      "IMG.JPG", "logo.bmp", "p.HEIC", "w.webp"}));
  EXPECT_EQ(passed_over, 3);  // the text, the file without an extension, the archive
}

#ifndef _WIN32  // Windows names are UTF-16, always convertible
TEST(FolderScanTest, NamesThatAreNotUtf8AreListed) {
  TempDir dir;
  const std::string gbk_name = "\xB1\xA6\xB1\xB4.jpg";  // 宝贝.jpg in GBK
  dir.WriteFile("pics/" + gbk_name, "x");
  auto list = ListPictureFiles(dir / "pics");
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ(list->items, std::vector<std::string>{gbk_name});
  EXPECT_TRUE(FileExists(dir / ("pics/" + gbk_name)));
}
#endif

TEST(FolderScanTest, MissingFolderGivesNoList) {
  TempDir dir;
  EXPECT_FALSE(ListPictureFiles(dir / "missing").has_value());
  StringList list = StringListNew();
  ListSubfolders(dir / "missing", list, true);
  EXPECT_EQ(list.count(), 0);
}

TEST(FolderScanTest, FileTestsTellFoldersFromFiles) {
  TempDir dir;
  std::string file = dir.WriteFile("f.txt", "x");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(IsDirectory(file));
  EXPECT_TRUE(IsDirectory(dir.path()));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(dir / "missing"));
}

}  // namespace
}  // namespace lumivane
