// The names a run's outputs go by, and which picture holds each, asked
// from the pool's threads: names claimed before pictures are made (in name
// order, final), and names claimed as pictures are made, in whatever order
// the workers finish - the first picture in name order keeps a name all
// the same, and a later holder is displaced (then not saved, or told as a
// clash).
#ifndef LUMIVANE_ENGINE_RUN_NAME_CLAIMS_H_
#define LUMIVANE_ENGINE_RUN_NAME_CLAIMS_H_

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lumivane {

class NameClaims {
 public:
  // Before any picture is made.
  void Claim(const std::string& path);
  void Claim(const std::set<std::string>& paths);
  // Claims `paths` for a done picture unless another holds one of them
  // (`own` tells the picture's own names): false then.
  bool ClaimUnlessHeld(const std::vector<std::string>& paths,
                       const std::function<bool(const std::string&)>& own);
  // As the picture `source`, `number` in name order, is made: its `paths`
  // but `own` claimed, displacing later holders; else the first path an
  // earlier picture holds, nothing claimed.
  std::optional<std::string> ClaimMade(const std::string& source, int number,
                                       const std::vector<std::string>& paths,
                                       const std::vector<std::string>& own);
  bool Claimed(const std::string& path) const;
  bool Displaced(const std::string& source) const;
  // `put` run while `source` still holds its names (none when displaced):
  // no later picture can take them meanwhile.
  std::optional<bool> PutWhileHeld(const std::string& source, const std::function<bool()>& put);

 private:
  bool ClaimedLocked(const std::string& path) const;

  mutable std::mutex mutex_;
  std::set<std::string> before_;  // claimed before any picture is made
  struct MadeClaim {
    int number;
    std::string source;
  };
  std::map<std::string, MadeClaim> made_;
  std::set<std::string> displaced_;  // sources that lost their names
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_NAME_CLAIMS_H_
