#include "engine/run/resume_journal.h"

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
  if (!IsDigitsOnly(text) || text.size() > 19) return false;
  value = static_cast<T>(std::stoull(std::string(text)));
  return true;
}

// One line: "done" or "redo", when, source, its size and change time, the
// settings key, then each output with its size.
std::optional<std::pair<std::string, JournalEntry>> ParseLine(std::string_view line) {
  const auto f = Split(line);
  JournalEntry e;
  if (f.size() < 3 || (f[0] != "done" && f[0] != "redo") || !Number(f[1], e.when_ns)) {
    return std::nullopt;
  }
  auto source = Unescape(f[2]);
  if (!source) return std::nullopt;
  e.done = f[0] == "done";
  if (f.size() < 6 || f.size() % 2 != 0 || !Number(f[3], e.source_size) ||
      !Number(f[4], e.source_mtime_ns)) {
    return std::nullopt;
  }
  e.settings = f[5];
  for (size_t i = 6; i + 1 < f.size(); i += 2) {
    auto output = Unescape(f[i]);
    std::uint64_t size = 0;
    if (!output || !Number(f[i + 1], size)) return std::nullopt;
    e.outputs.emplace_back(std::move(*output), size);
  }
  return std::make_pair(*source, e);
}

std::string ComposeLine(const std::string& source, const JournalEntry& e) {
  std::string line = std::string(e.done ? "done" : "redo") + "\t" + std::to_string(e.when_ns) +
                     "\t" + Escape(source) + "\t" + std::to_string(e.source_size) + "\t" +
                     std::to_string(e.source_mtime_ns) + "\t" + e.settings;
  for (const auto& [output, size] : e.outputs) {
    line += "\t" + Escape(output) + "\t" + std::to_string(size);
  }
  return line + "\n";
}

}  // namespace

void ResumeJournal::Load(const std::string& target) {
  target_ = target;
  entries_.clear();
  const auto entries = platform::ListDirectory(target);
  if (!entries) return;
  for (const auto& file : *entries) {
    if (file.is_directory || !StartsWith(file.name, kJournalPrefix) ||
        !EndsWith(file.name, kJournalSuffix)) {
      continue;
    }
    std::string pending;
    platform::ReadRegularFileInPieces(
        platform::JoinPath(target, file.name), [&](std::string_view piece) {
          pending.append(piece);
          size_t start = 0;
          for (size_t end; (end = pending.find('\n', start)) != std::string::npos;
               start = end + 1) {
            auto parsed = ParseLine(std::string_view(pending).substr(start, end - start));
            if (!parsed) continue;
            auto& slot = entries_[parsed->first];
            if (parsed->second.when_ns >= slot.when_ns) slot = std::move(parsed->second);
          }
          pending.erase(0, start);  // a line cut off by a kill stays unread
          return true;
        });
  }
}

const JournalEntry* ResumeJournal::Find(const std::string& source) const {
  const auto it = entries_.find(source);
  return it == entries_.end() ? nullptr : &it->second;
}

bool ResumeJournal::StillDone(const std::string& source, const std::string& source_path,
                              const std::string& settings) const {
  const JournalEntry* e = Find(source);
  if (!e || !e->done || e->settings != settings || e->outputs.empty()) return false;
  // The same file: a source replaced, even by an older one, is made again.
  const auto stamp = platform::StampRegularFile(source_path, true);
  if (!stamp || stamp->size != e->source_size || stamp->mtime_ns != e->source_mtime_ns) {
    return false;
  }
  // Every output there whole, as written, and not a link to something else.
  for (const auto& [output, size] : e->outputs) {
    const auto written = platform::StampRegularFile(platform::JoinPath(target_, output), false);
    if (!written || written->size != size) return false;
  }
  return true;
}

bool ResumeJournal::Record(const std::string& source, const JournalEntry& entry,
                           const std::string& shard) {
  if (!file_) {
    auto opened = platform::AppendFile::Open(platform::JoinPath(target_, JournalFileName(shard)));
    if (!opened) return false;
    file_.emplace(std::move(*opened));
  }
  return file_->Append(ComposeLine(source, entry));
}

std::string JournalFileName(const std::string& shard) {
  return std::string(kJournalPrefix) + (shard.empty() ? "" : "." + shard) +
         std::string(kJournalSuffix);
}

bool DescribeSource(const std::string& path, JournalEntry& entry) {
  const auto stamp = platform::StampRegularFile(path, true);
  if (!stamp) return false;
  entry.source_size = stamp->size;
  entry.source_mtime_ns = stamp->mtime_ns;
  return true;
}

std::string SettingsKey(const std::string& settings_text) {
  char hex[17];
  std::snprintf(hex, sizeof(hex), "%016llx",
                static_cast<unsigned long long>(StableHash(settings_text)));
  return hex;
}

}  // namespace lumivane
