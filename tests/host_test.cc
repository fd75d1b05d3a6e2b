#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include "host/desktop_shortcut.h"
#include "host/imaging_registration.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"
#include "platform/shell_open.h"
#include "tests/temp_dir.h"
#include "text/text_codec.h"

namespace lumivane {
namespace {

using namespace ::lumivane::testing;
using platform::RegistryStore;

class RegistrationTest : public ::testing::Test {
 protected:
  bool Check(const std::string& program) {
    RegistryStore store(file_);
    return CheckImagingRegistration(store, program,
                                    [this](const std::string& m) { errors_.push_back(m); });
  }
  std::optional<std::string> Value(const char* key, const char* name) {
    return RegistryStore(file_).QueryValue(key, name);
  }

  TempDir dir_;
  std::string file_ = dir_ / "config/lumivane/registry";
  std::vector<std::string> errors_;
};

TEST_F(RegistrationTest, FirstStartWritesBothKeysWithEveryValue) {
  ASSERT_TRUE(Check("/opt/lumivane/lumivane"));
  EXPECT_TRUE(errors_.empty());
  for (const char* key : {kVersionKey, kCurrentKey}) {
    EXPECT_EQ(Value(key, "BinPath"), "/opt/lumivane");
    EXPECT_EQ(Value(key, "ConfigurePath"), "/opt/lumivane");
    EXPECT_EQ(Value(key, "LibPath"), "/opt/lumivane");
    EXPECT_EQ(Value(key, "CoderModulesPath"), "modules/coders");
    EXPECT_EQ(Value(key, "FilterModulesPath"), "modules/filters");
  }
  EXPECT_EQ(Value(kCurrentKey, "Version"), "6.7.9");
  EXPECT_EQ(Value(kCurrentKey, "QuantumDepth"), "16");
}

TEST_F(RegistrationTest, SameFolderInAnotherCaseWritesNothingAndAMovedProgramRewrites) {
  ASSERT_TRUE(Check("/opt/Lumivane/lumivane"));
#ifndef _WIN32  // the store's file is not written again
  struct stat before;
  stat(file_.c_str(), &before);
  sleep(1);
#endif
  ASSERT_TRUE(Check("/OPT/lumivane/lumivane"));
#ifndef _WIN32
  struct stat after;
  stat(file_.c_str(), &after);
  EXPECT_EQ(before.st_mtime, after.st_mtime);
#endif
  EXPECT_EQ(Value(kVersionKey, "BinPath"), "/opt/Lumivane");
  ASSERT_TRUE(Check("/srv/moved/lumivane"));
  EXPECT_EQ(Value(kVersionKey, "BinPath"), "/srv/moved");
  EXPECT_EQ(Value(kCurrentKey, "LibPath"), "/srv/moved");
}

TEST_F(RegistrationTest, KeyWithoutBinPathIsLeftAlone) {
  {
    RegistryStore store(file_);
    ASSERT_TRUE(store.CreateKey(kVersionKey));
  }
  ASSERT_TRUE(Check("/opt/lumivane/lumivane"));
  EXPECT_FALSE(Value(kVersionKey, "BinPath"));
  EXPECT_FALSE(RegistryStore(file_).KeyExists(kCurrentKey));
}

TEST_F(RegistrationTest, ProgramInTheRootKeepsItsSeparatorAndNoSeparatorIsAnError) {
  EXPECT_EQ(ProgramFileFolder("/lumivane"), "/");
  EXPECT_EQ(ProgramFileFolder("C:\\x"), std::nullopt);
  EXPECT_FALSE(Check("lumivane"));
  EXPECT_EQ(errors_, std::vector<std::string>{"在 regedit 中，无法获取APP文件所在的文件夹路径"});
}

#ifndef _WIN32  // a store in a folder of POSIX rights
TEST_F(RegistrationTest, StoreThatCannotBeWrittenStopsTheStart) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  dir_.MakeFolder("config");
  chmod((dir_ / "config").c_str(), 0555);
  EXPECT_FALSE(Check("/opt/lumivane/lumivane"));
  EXPECT_EQ(errors_,
            std::vector<std::string>{"创建一个新Key [SOFTWARE\\ImageMagick\\6.7.9\\Q:16] 时出错"});
}
#endif

#ifndef _WIN32  // a store in a file
TEST_F(RegistrationTest, StoreUnderAPlainFileStopsTheStart) {
  // A file where the store's folder should be: no writing possible, even as root.
  dir_.WriteFile("config", "not a folder");
  EXPECT_FALSE(Check("/opt/lumivane/lumivane"));
  EXPECT_EQ(errors_,
            std::vector<std::string>{"创建一个新Key [SOFTWARE\\ImageMagick\\6.7.9\\Q:16] 时出错"});
}
#endif

TEST(DesktopShortcutTest, WritesTheFiveLinesInGbkAndALauncher) {
  TempDir dir;
  std::string desktop = dir.MakeFolder("桌面");
  ASSERT_TRUE(CreateDesktopShortcut("/home/u/图片工具", "/home/u/图片工具/lumivane", desktop));
  ASSERT_TRUE(CreateDesktopShortcut("/home/u/图片工具", "/home/u/图片工具/lumivane", desktop));
  const std::string url = ReadWholeFile(desktop + "/Lumivane.url");
  EXPECT_EQ(
      GbkToUtf8(url),
      "[InternetShortcut]\r\nURL=/home/u/图片工具/lumivane\r\nWorkingDirectory=/home/u/图片工具"
      "\r\nIconFile=/home/u/图片工具/lumivane\r\nIconIndex=0");
  EXPECT_NE(url.find("\xCD\xBC\xC6\xAC"), std::string::npos);  // 图片 in GBK
  if (platform::DesktopTakesLaunchers()) {
    const std::string launcher = ReadWholeFile(desktop + "/Lumivane.desktop");
    EXPECT_NE(launcher.find("Exec=\"/home/u/图片工具/lumivane\"\n"), std::string::npos);
    EXPECT_NE(launcher.find("Path=/home/u/图片工具\n"), std::string::npos);
    // Quoting and escaping, so that the desktop reads the paths back whole.
    ASSERT_TRUE(
        CreateDesktopShortcut("/u/图片 100%$x\\\"`", "/u/图片 100%$x\\\"`/lumivane", desktop));
    const std::string odd = ReadWholeFile(desktop + "/Lumivane.desktop");
    EXPECT_NE(odd.find("\nExec=\"/u/图片 100%%\\\\$x\\\\\\\\\\\\\"\\\\`/lumivane\"\n"),
              std::string::npos)
        << odd;
    EXPECT_NE(odd.find("\nPath=/u/图片 100%$x\\\\\"`\n"), std::string::npos) << odd;
    EXPECT_NE(odd.find("\nIcon=/u/图片 100%$x\\\\\"`/lumivane.png\n"), std::string::npos) << odd;
  }
  EXPECT_FALSE(CreateDesktopShortcut("/p", "/p/lumivane", std::nullopt));
  // A desktop folder not made yet is made; one that cannot be is a failure.
  EXPECT_TRUE(CreateDesktopShortcut("/p", "/p/lumivane", dir / "missing/Desktop"));
  EXPECT_TRUE(platform::PathIsRegularFile(dir / "missing/Desktop/Lumivane.url"));
  EXPECT_FALSE(CreateDesktopShortcut("/p", "/p/lumivane", dir.WriteFile("file", "") + "/Desktop"));
}

#ifndef _WIN32  // the desktop's opener on the search path
TEST(ShellOpenTest, AnOpenerThatFindsNoProgramIsAFailure) {
  TempDir dir;
  const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", dir.path().c_str(), 1);
  EXPECT_EQ(platform::ShellOpen("/x.jpg"), platform::kShellNoAssociation);  // none at all
  auto opener = [&](const std::string& body) {
    dir.WriteFile("xdg-open", "#!/bin/sh\n" + body + "\n");
    chmod((dir / "xdg-open").c_str(), 0755);
    return platform::ShellOpen("/x.jpg");
  };
  EXPECT_EQ(opener("exit 3"), platform::kShellNoAssociation);  // no program for the file
  EXPECT_EQ(opener("exit 0"), platform::kShellOpenOk);
  EXPECT_EQ(opener("exec /bin/sleep 2"), platform::kShellOpenOk);  // the viewer runs on
  setenv("PATH", saved.c_str(), 1);
}
#endif

#ifndef _WIN32  // the XDG user directories
TEST(DesktopShortcutTest, DesktopFolderComesFromTheUserDirectories) {
  TempDir dir;
  std::string home = dir.MakeFolder("home");
  dir.MakeFolder("home/Schreibtisch");
  dir.WriteFile("home/.config/user-dirs.dirs",
                "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(platform::DesktopFolder(), home + "/Schreibtisch");
  dir.WriteFile("home/.config/user-dirs.dirs", "");
  EXPECT_EQ(platform::DesktopFolder(), home + "/Desktop");  // not made yet: the shortcut makes it
}
#endif

}  // namespace
}  // namespace lumivane
