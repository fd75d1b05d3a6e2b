// A fresh folder for one test, removed afterwards.
#ifndef LUMIVANE_TESTS_TEMP_DIR_H_
#define LUMIVANE_TESTS_TEMP_DIR_H_

#include <filesystem>
#include <string>

namespace lumivane::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Creates the folder (with parents) below this one and returns its path.
  std::string MakeFolder(const std::string& relative) const;
  std::string WriteFile(const std::string& relative, const std::string& bytes) const;

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& path);

// A UTF-8 path as the standard library's, also where the system's narrow
// names are in another code page (Windows).
std::filesystem::path FsPath(const std::string& utf8);

// The most memory the test process has held so far, in KiB.
long PeakKilobytes();

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_TEMP_DIR_H_
