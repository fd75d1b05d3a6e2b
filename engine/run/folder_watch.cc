#include "engine/run/folder_watch.h"

#include <thread>
#include <vector>

#include "engine/run/folder_scan.h"
#include "engine/run/messages.h"
#include "platform/file_system.h"

namespace lumivane {
namespace {

// A watching run's own answers: nothing is opened when a run is done (the
// watch goes on), and in the rounds a changed picture's outputs are
// replaced; the rest goes to the front end.
class RoundPort : public WindowPort {
 public:
  RoundPort(WindowPort& port, bool replace) : port_(port), replace_(replace) {}
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override {
    port_.ShowMessage(caption, text, icon);
  }
  bool AskYesNo(Question question, const std::string& caption, const std::string& text) override {
    if (question == Question::kOpenTarget) return false;
    return (replace_ && question == Question::kOverwrite) ||
           port_.AskYesNo(question, caption, text);
  }
  void TellCancelled() override { port_.TellCancelled(); }
  void AppendLogLine(const std::string& line) override { port_.AppendLogLine(line); }
  void SetProgressRange(int maximum) override { port_.SetProgressRange(maximum); }
  void SetProgressPosition(int position) override { port_.SetProgressPosition(position); }
  void SetPictureCount(int done, int total) override { port_.SetPictureCount(done, total); }
  void WaitingForArrivals(const std::string& source) override { port_.WaitingForArrivals(source); }

 private:
  WindowPort& port_;
  const bool replace_;
};

}  // namespace

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

RunOutcome WatchRounds(WindowPort& port, RunRequest request, const ProcessingSettings& settings,
                       RunOutcome first, const std::function<void()>& after_round) {
  if (first.end != RunEnd::kFinished) return first;
  // The same target every round (a default one would be a new folder now),
  // the pictures done left.
  request.inputs.target = first.target;
  request.skip_done = true;
  RoundPort rounds(port, true);
  const std::atomic<bool> never(false);
  const std::atomic<bool>& stop = request.stop ? *request.stop : never;
  const std::string source = request.inputs.source;
  const bool below = request.inputs.subfolders;
  FolderState last = StateOf(source, below, first.target);
  RunOutcome outcome = first;
  port.AppendLogLine(msg::Watching(source));
  port.WaitingForArrivals(source);
  while (WaitForSettledChange(source, below, first.target, last, stop)) {
    outcome = BatchWorker(rounds, settings, request);
    if (after_round) after_round();
    last = StateOf(source, below, first.target);
    if (outcome.end == RunEnd::kRefused) break;  // the folder went, say
    port.WaitingForArrivals(source);
  }
  outcome.open_target = false;
  return outcome;
}
RunOutcome RunAndWatch(WindowPort& port, const ProcessingSettings& settings,
                       const RunRequest& request) {
  RoundPort first(port, false);
  return WatchRounds(port, request, settings, BatchWorker(first, settings, request));
}

}  // namespace lumivane
