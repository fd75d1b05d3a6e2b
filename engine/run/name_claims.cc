#include "engine/run/name_claims.h"

#include <algorithm>

namespace lumivane {

void NameClaims::Claim(const std::string& path) {
  std::lock_guard lock(mutex_);
  before_.insert(path);
}

void NameClaims::Claim(const std::set<std::string>& paths) {
  std::lock_guard lock(mutex_);
  before_.insert(paths.begin(), paths.end());
}

bool NameClaims::ClaimUnlessHeld(const std::vector<std::string>& paths,
                                 const std::function<bool(const std::string&)>& own) {
  std::lock_guard lock(mutex_);
  for (const std::string& path : paths) {
    if (!own(path) && ClaimedLocked(path)) return false;  // another's now
  }
  before_.insert(paths.begin(), paths.end());
  return true;
}

std::optional<std::string> NameClaims::ClaimMade(const std::string& source, int number,
                                                 const std::vector<std::string>& paths,
                                                 const std::vector<std::string>& own) {
  std::lock_guard lock(mutex_);
  std::set<std::string> later;  // holders after it in name order
  for (const std::string& path : paths) {
    if (std::find(own.begin(), own.end(), path) != own.end()) continue;
    const auto made = made_.find(path);
    const bool other = made != made_.end() && made->second.source != source;
    if (before_.count(path) > 0 || (other && made->second.number < number)) return path;
    if (other) later.insert(made->second.source);
  }
  for (auto it = made_.begin(); it != made_.end();) {
    it = later.count(it->second.source) > 0 ? made_.erase(it) : std::next(it);
  }
  displaced_.insert(later.begin(), later.end());
  for (const std::string& path : paths) made_[path] = {number, source};
  return std::nullopt;
}

bool NameClaims::Claimed(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return ClaimedLocked(path);
}

bool NameClaims::ClaimedLocked(const std::string& path) const {
  return before_.count(path) > 0 || made_.count(path) > 0;
}

bool NameClaims::Displaced(const std::string& source) const {
  std::lock_guard lock(mutex_);
  return displaced_.count(source) > 0;
}

std::optional<bool> NameClaims::PutWhileHeld(const std::string& source,
                                             const std::function<bool()>& put) {
  std::lock_guard lock(mutex_);
  return displaced_.count(source) > 0 ? std::nullopt : std::optional<bool>(put());
}

}  // namespace lumivane
