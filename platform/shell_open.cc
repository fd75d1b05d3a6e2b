#include "platform/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace lumivane::platform {
namespace {

constexpr int kOpenerAnswerMillis = 1500;

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// Starts `program target` without waiting for it.
int Launch(const std::string& program, const std::string& target) {
  if (!OnPath(program)) return kShellNoAssociation;
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(target.c_str()),
                             nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    return kShellNoAssociation;
  }
  // An opener that finds no program for the file says so at once; one that
  // found a viewer returns after starting it or keeps running with it.
  for (int waited = 0; waited < kOpenerAnswerMillis; waited += 20) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kShellOpenOk : kShellNoAssociation;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // Still running (the viewer itself, say): reap it in the background.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return kShellOpenOk;
}

}  // namespace

int ShellOpen(const std::string& target) {
  if (target.empty()) return kShellFileNotFound;
  return Launch("xdg-open", target);
}

int BrowserOpen(const std::string& target) {
  if (target.empty()) return kShellFileNotFound;
  for (const char* browser : {"x-www-browser", "sensible-browser", "firefox", "chromium"}) {
    if (OnPath(browser)) return Launch(browser, target);
  }
  return kShellFileNotFound;
}

}  // namespace lumivane::platform
