// lumivane-batch run as a user runs it, and what its manifest says.
#ifndef LUMIVANE_TESTS_BATCH_CLI_H_
#define LUMIVANE_TESTS_BATCH_CLI_H_

#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "tests/temp_dir.h"

namespace lumivane::testing {

// Runs in `folder` with `args`; what it says goes to out.txt there.
inline int RunBatch(const std::string& folder, const std::string& args) {
  const std::string command =
      "cd '" + folder + "' && '" LUMIVANE_BATCH_BINARY "' " + args + " >out.txt 2>&1 </dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
