#include "engine/run/resume_journal.h"

#include <algorithm>
#include <cstdio>

#include "engine/run/shards.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

constexpr std::string_view kJournalPrefix = ".lumivane-journal";
constexpr std::string_view kJournalSuffix = ".txt";

// Fields are separated by tabs, lines by line feeds: names carrying either
// (or "%") are written with "%XX" in their place.
std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
      char hex[4];
      std::snprintf(hex, sizeof(hex), "%%%02X", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size() || HexValue(text[i + 1]) < 0 || HexValue(text[i + 2]) < 0) {
      return std::nullopt;
    }
    out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
    i += 2;
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

template <typename T>
bool Number(std::string_view text, T& value) {
  if (!IsDigitsOnly(text) || text.empty() || text.size() > 19) return false;
  value = static_cast<T>(std::stoull(std::string(text)));
  return true;
}

// A path below a folder of ours: no leading "/", no empty, "." or ".."
// part. Anything else in a journal was not written by us.
bool IsPlainPathBelow(std::string_view path) {
  if (path.empty() || path.front() == '/') return false;
  for (size_t start = 0;;) {
    const size_t slash = path.find('/', start);
    const std::string_view part = path.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

std::string_view FolderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// One line: "done2" or "redo2", when, the source below the source folder,
// its size, modification and change time, device and file number, the
// settings key, then each output with its size and modification time.
// (Lines of the first form, without times and identity, are not read: the
// pictures they name are made again.)
constexpr size_t kFixedFields = 9;
constexpr size_t kOutputFields = 3;

std::optional<std::pair<std::string, JournalEntry>> ParseLine(std::string_view line) {
  const auto f = Split(line);
  JournalEntry e;
  if (f.size() < kFixedFields || (f.size() - kFixedFields) % kOutputFields != 0 ||
      (f[0] != "done2" && f[0] != "redo2") || !Number(f[1], e.when_ns) ||
      !Number(f[3], e.source.size) || !Number(f[4], e.source.mtime_ns) ||
      !Number(f[5], e.source.ctime_ns) || !Number(f[6], e.source.device) ||
      !Number(f[7], e.source.inode)) {
    return std::nullopt;
  }
  auto source = Unescape(f[2]);
  if (!source || !IsPlainPathBelow(*source)) return std::nullopt;
  e.done = f[0] == "done2";
  e.settings = f[8];
  for (size_t i = kFixedFields; i < f.size(); i += kOutputFields) {
    JournalOutput output;
    auto path = Unescape(f[i]);
    // Only a plain name in the folder that mirrors the source's.
    if (!path || !IsPlainPathBelow(*path) || FolderOf(*path) != FolderOf(*source) ||
        !Number(f[i + 1], output.size) || !Number(f[i + 2], output.mtime_ns)) {
      return std::nullopt;
    }
    output.path = std::move(*path);
    e.outputs.push_back(std::move(output));
  }
  return std::make_pair(std::move(*source), std::move(e));
}

std::string ComposeLine(const std::string& source, const JournalEntry& e) {
  std::string line = std::string(e.done ? "done2" : "redo2") + "\t" + std::to_string(e.when_ns) +
                     "\t" + Escape(source);
  for (auto n : {e.source.size, static_cast<std::uint64_t>(e.source.mtime_ns),
                 static_cast<std::uint64_t>(e.source.ctime_ns), e.source.device, e.source.inode}) {
    line += "\t" + std::to_string(n);
  }
  line += "\t" + e.settings;
  for (const JournalOutput& output : e.outputs) {
    line += "\t" + Escape(output.path) + "\t" + std::to_string(output.size) + "\t" +
            std::to_string(output.mtime_ns);
  }
  return line + "\n";
}

}  // namespace

ResumeJournal::Loaded ResumeJournal::Load(const std::string& target, const std::string& shard) {
  path_ = platform::JoinPath(target, JournalFileName(shard));
  entries_.clear();
  if (!platform::PathEntryExists(path_)) return Loaded::kNone;
  // Read in one pass, each byte looked at once: a line longer than any
  // this program writes is skipped (and counted) as it comes, not held.
  constexpr size_t kLongestLine = 64 * 1024;
  std::string pending;
  bool skipping = false;  // inside a line too long to keep
  long_lines_ = 0;
  const bool read = platform::ReadRegularFileInPieces(
      path_,
      [&](std::string_view piece) {
        const size_t old = pending.size();
        pending.append(piece);
        size_t start = 0;
        for (size_t end; (end = pending.find('\n', std::max(start, old))) != std::string::npos;
             start = end + 1) {
          const bool too_long = skipping || end - start > kLongestLine;
          if (too_long) {
            long_lines_ += !skipping;
            skipping = false;
            continue;
          }
          auto parsed = ParseLine(std::string_view(pending).substr(start, end - start));
          if (!parsed) continue;
          auto& slot = entries_[parsed->first];
          if (parsed->second.when_ns >= slot.when_ns) slot = std::move(parsed->second);
        }
        pending.erase(0, start);  // a line cut off by a kill stays unread
        if (pending.size() > kLongestLine) {
          long_lines_ += !skipping;
          skipping = true;
          pending.clear();
        }
        return true;
      },
      false);
  // A journal this run cannot add to (a hard link, no permission) would
  // go on skipping pictures whose new outputs it never learns of.
  if (read) {
    auto opened = platform::AppendFile::OpenOwn(path_);
    if (opened) {
      file_.emplace(std::move(*opened));
      return Loaded::kRead;
    }
    problem_ = platform::LastWriteProblem();
  } else {
    problem_ = platform::WriteProblem::kNotAFile;
  }
  entries_.clear();
  unusable_ = true;
  return Loaded::kUnusable;
}

const JournalEntry* ResumeJournal::Find(const std::string& source) const {
  const auto it = entries_.find(source);
  return it == entries_.end() ? nullptr : &it->second;
}

bool ResumeJournal::Record(const std::string& source, const JournalEntry& entry) {
  if (unusable_) return false;
  if (!file_) {
    auto opened = platform::AppendFile::OpenOwn(path_);
    if (!opened) {
      problem_ = platform::LastWriteProblem();
      return false;
    }
    file_.emplace(std::move(*opened));
  }
  if (file_->Append(ComposeLine(source, entry))) return true;
  problem_ = platform::LastWriteProblem();
  return false;
}

std::string JournalFileName(const std::string& shard) {
  return std::string(kJournalPrefix) + (shard.empty() ? "" : "." + shard) +
         std::string(kJournalSuffix);
}

std::string SettingsKey(const std::string& settings_text) {
  char hex[17];
  std::snprintf(hex, sizeof(hex), "%016llx",
                static_cast<unsigned long long>(StableHash(settings_text)));
  return hex;
}

}  // namespace lumivane
