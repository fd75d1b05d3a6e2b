#include "cli/watch.h"

#include <thread>
#include <vector>

#include "cli/cli_port.h"
#include "engine/run/folder_scan.h"
#include "platform/file_system.h"

namespace lumivane::cli {

FolderState StateOf(const std::string& source, bool subfolders, const std::string& target) {
  FolderState state;
  std::vector<std::string> folders = {source};
  while (!folders.empty()) {
    const std::string folder = std::move(folders.back());
    folders.pop_back();
    const auto entries = platform::ListDirectory(folder);
    if (!entries) continue;
    for (const platform::DirEntry& e : *entries) {
      const std::string path = platform::JoinPath(folder, e.name);
      if (e.is_directory) {
        // The outputs are no arrivals; links are never followed.
        if (subfolders && !e.is_link && !SameFolder(path, target)) folders.push_back(path);
      } else if (const auto stamp = platform::StampRegularFile(path, true)) {
        state[path] = {stamp->size, stamp->mtime_ns, stamp->ctime_ns};
      }
    }
  }
  return state;
}

bool WaitForSettledChange(const std::string& source, bool subfolders, const std::string& target,
                          FolderState& last, const std::atomic<bool>& stop,
                          std::chrono::milliseconds still) {
  using Clock = std::chrono::steady_clock;
  FolderState seen = last;
  auto since = Clock::now();
  while (!stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    FolderState now = StateOf(source, subfolders, target);
    if (now != seen) {
      // Still being written (or a burst still arriving): wait for it.
      seen = std::move(now);
      since = Clock::now();
    } else if (seen != last && Clock::now() - since >= still) {
      last = std::move(seen);
      return true;
    }
  }
  return false;
}

RunOutcome WatchRounds(RunRequest request, const ProcessingSettings& settings, RunOutcome first,
                       bool terminal) {
  // The same target every round (a default one would be a new folder now),
  // the pictures done left, a changed picture's outputs replaced.
  request.inputs.target = first.target;
  request.skip_done = true;
  CliPort port(OverwriteChoice::kYes, stderr, terminal, true);
  const std::atomic<bool> never(false);
  const std::atomic<bool>& stop = request.stop ? *request.stop : never;
  const std::string source = request.inputs.source;
  FolderState last = StateOf(source, request.inputs.subfolders, first.target);
  RunOutcome outcome = first;
  std::fprintf(stderr, "lumivane-batch: watching %s (Ctrl+C ends)\n", source.c_str());
  while (WaitForSettledChange(source, request.inputs.subfolders, first.target, last, stop)) {
    outcome = BatchWorker(port, settings, request);
    port.EndProgress();
    last = StateOf(source, request.inputs.subfolders, first.target);
    if (outcome.end == RunEnd::kRefused) break;  // the folder went, say
  }
  return outcome;
}

}  // namespace lumivane::cli
