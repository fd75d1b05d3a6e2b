// lumivane-batch run as a user runs it, and what its manifest says.
#ifndef LUMIVANE_TESTS_BATCH_CLI_H_
#define LUMIVANE_TESTS_BATCH_CLI_H_

#ifdef _WIN32
#include <algorithm>
#else
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "tests/temp_dir.h"

namespace lumivane::testing {

// Runs in `folder` with `args` (quoted as for a POSIX shell); what it says
// goes to out.txt there.
#ifdef _WIN32
inline int RunBatch(const std::string& folder, const std::string& args) {
  auto native = [](std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  };
  std::string quoted = args;  // the system's shell quotes with double quotes only
  std::replace(quoted.begin(), quoted.end(), '\'', '"');
  // cmd's own rule: a line that starts with a quote loses its first and
  // last quotes, so the whole line is quoted once more.
  const std::string command = "\"cd /d \"" + native(folder) + "\" && \"" +
                              native(LUMIVANE_BATCH_BINARY) + "\" " + quoted +
                              " >out.txt 2>&1 <NUL\"";
  return _wsystem(FsPath(command).wstring().c_str());
}
#else
inline int RunBatch(const std::string& folder, const std::string& args) {
  const std::string command =
      "cd '" + folder + "' && '" LUMIVANE_BATCH_BINARY "' " + args + " >out.txt 2>&1 </dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

// The result each picture's manifest line gives, by its name below "src/".
inline std::map<std::string, std::string> Results(const std::string& manifest) {
  std::map<std::string, std::string> results;
  std::istringstream in(ReadWholeFile(manifest));
  for (std::string line; std::getline(in, line);) {
    const size_t name = line.find("src/") + 4, result = line.find("\"result\":\"") + 10;
    results[line.substr(name, line.find('"', name) - name)] =
        line.substr(result, line.find('"', result) - result);
  }
  return results;
}

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_BATCH_CLI_H_
