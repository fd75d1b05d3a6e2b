#include "platform/temporary_names.h"

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>

#include "platform/file_system.h"

namespace lumivane::platform {
namespace {

constexpr std::string_view kTemporaryPrefix = ".lumivane-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr size_t kRandomDigits = 16;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

// ".lumivane-<host>-<pid>-<16 random hex digits>.tmp": the prefix and the
// random part make the name unmistakably ours; the host and the process id
// tell whether the writer still runs (several machines may share a target).
std::string TemporaryNameFor(const std::string& path, long process_id) {
  static std::mutex random_mutex;
  static std::mt19937_64 random{std::random_device{}()};
  std::uint64_t bits;
  {
    std::lock_guard lock(random_mutex);
    bits = random();
  }
  char hex[kRandomDigits + 1];
  std::snprintf(hex, sizeof(hex), "%016llx", static_cast<unsigned long long>(bits));
  const std::string name = std::string(kTemporaryPrefix) + HostName() + "-" +
                           std::to_string(process_id) + "-" + hex + std::string(kTemporarySuffix);
  // The folder part as given, its separator with it ("" for a bare name).
  return path.substr(0, path.size() - LastName(path).size()) + name;
}

std::optional<long> OurTemporaryWriter(std::string_view name) {
  if (name.size() <= kTemporaryPrefix.size() + kRandomDigits + kTemporarySuffix.size() + 1 ||
      name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix ||
      name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix) {
    return std::nullopt;
  }
  name.remove_prefix(kTemporaryPrefix.size());
  name.remove_suffix(kTemporarySuffix.size());
  const std::string_view random = name.substr(name.size() - kRandomDigits);
  name.remove_suffix(kRandomDigits);
  if (name.back() != '-') return std::nullopt;
  name.remove_suffix(1);
  for (char c : random) {
    if (!IsHexDigit(c)) return std::nullopt;
  }
  const size_t dash = name.rfind('-');
  if (dash == std::string_view::npos || name.substr(0, dash) != HostName()) return std::nullopt;
  const std::string_view pid = name.substr(dash + 1);
  if (pid.empty() || pid.size() > 9 || pid[0] == '0') return std::nullopt;
  long id = 0;
  for (char c : pid) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + (c - '0');
  }
  return id;
}

std::string PlainHostName(std::string name) {
  for (char& c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-';
    if (!plain) c = '_';
  }
  return name.empty() ? std::string("localhost") : name;
}

std::mutex& PendingMutex() {
  static auto* mutex = new std::mutex();  // outlives static destruction at exit
  return *mutex;
}

std::set<std::string>& PendingTemporaries() {
  static auto* pending = new std::set<std::string>();
  return *pending;
}

PreparedFile::PreparedFile(PreparedFile&& other) noexcept
    : path_(std::move(other.path_)), temp_(std::move(other.temp_)), fd_(other.fd_) {
  other.fd_ = -1;
}

PreparedFile::~PreparedFile() { Discard(); }

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  auto file = PreparedFile::Write(path, bytes);
  return file && file->Commit();
}

}  // namespace lumivane::platform
