// What only Windows has: two separators, names in any case, and files
// other programs hold open.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>

#include "platform/file_system.h"
#include "platform/write_problem.h"
#include "tests/temp_dir.h"

namespace lumivane {
namespace {

using testing::FsPath;
using testing::TempDir;

TEST(WindowsPlatformTest, PathsFoldersAndReplacedFilesBehaveAsTheUserExpects) {
  TempDir dir;
  // Either separator parts folder from name; the program's own paths use '/'.
  EXPECT_EQ(platform::LastName("C:\\货品\\a.jpg"), "a.jpg");
  EXPECT_EQ(platform::FolderOf("C:\\货品/a.jpg"), "C:\\货品");
  const std::string folder = dir.MakeFolder("商品 图片");
  EXPECT_EQ(platform::AbsolutePath(folder + "\\.\\sub\\..\\"), folder);
  // One folder however its name is written.
  std::string other_case = folder;
  for (char& c : other_case) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto id = platform::IdentifyDirectory(folder);
  ASSERT_TRUE(id);
  EXPECT_EQ(platform::IdentifyDirectory(other_case), id);
  EXPECT_NE(platform::IdentifyDirectory(dir.MakeFolder("other")), id);
  // Written whole and replaced while nobody holds it; a reader that holds
  // it without letting it go keeps the old one, and the write says why.
  const std::string file = folder + "/水印.txt";
  ASSERT_TRUE(platform::WriteFileAtomically(file, "one"));
  ASSERT_TRUE(platform::WriteFileAtomically(file, std::string(70000, '\x1A')));  // no text mode
  EXPECT_EQ(platform::ReadRegularFile(file, 1 << 20)->size(), 70000u);
  const std::wstring wide = FsPath(file).wstring();
  HANDLE held =
      CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform::WriteFileAtomically(file, "two"));
  EXPECT_EQ(platform::LastWriteProblem(), platform::WriteProblem::kInUse);
  CloseHandle(held);
  EXPECT_EQ(platform::ReadRegularFile(file, 1 << 20)->size(), 70000u);
  EXPECT_EQ(platform::ListDirectory(folder)->size(), 1u);  // no temporary file left
}

}  // namespace
}  // namespace lumivane
