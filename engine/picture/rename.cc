#include "engine/picture/rename.h"

#include <optional>
#include <string_view>

namespace lumivane {
namespace {

// Before "w" or "h" where the output's size is not known yet: bytes that
// no name a user types holds.
constexpr std::string_view kSizeNotKnown = "\x01\x02";

// Values for every token, to try a pattern with.
const TokenValues kSampleValues{"a.jpg", 1, "f", "2000-01-01", 1, 1, "l"};

// What one "{...}" stands for, or none when it is not known.
std::optional<std::string> Expand(const std::string& token, const TokenValues& v) {
  const std::string& file_name = v.file_name;
  const int number = v.number;
  if (token == "name") {
    const size_t dot = file_name.rfind('.');
    return dot == std::string::npos || dot == 0 ? file_name : file_name.substr(0, dot);
  }
  if (token == "folder") return v.folder_name;
  if (token == "list") return v.list;
  if (token == "date") return v.date;
  if (token == "w" || token == "h") {
    const int size = token == "w" ? v.width : v.height;
    // The output's, once known; until then a mark no file name holds, so
    // that braces in the picture's own name are never taken for it.
    return size > 0 ? std::to_string(size) : std::string(kSizeNotKnown) + token;
  }
  if (token == "n") return std::to_string(number);
  // {n:03}: at least that many digits, zeros in front.
  if (token.size() == 4 && token.compare(0, 3, "n:0") == 0 && token[3] >= '1' && token[3] <= '9') {
    std::string digits = std::to_string(number);
    const size_t width = static_cast<size_t>(token[3] - '0');
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
  }
  return std::nullopt;
}

// The pattern with every token expanded. Strict (a name), none when one
// is unknown or a brace is left open, `bad` telling which; else (a text)
// those stay as typed. `tokens` counts the tokens filled.
std::optional<std::string> Fill(const std::string& pattern, const TokenValues& values, bool strict,
                                std::string* bad = nullptr, int* tokens = nullptr) {
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const size_t close = pattern[i] == '{' ? pattern.find('}', i) : std::string::npos;
    const auto value = close == std::string::npos
                           ? std::nullopt
                           : Expand(pattern.substr(i + 1, close - i - 1), values);
    if (value) {
      out += *value;
      if (tokens) ++*tokens;
      i = close + 1;
    } else if (pattern[i] == '{' && strict) {
      if (bad) *bad = pattern.substr(i, close == std::string::npos ? close : close - i + 1);
      return std::nullopt;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

}  // namespace

std::string CheckRenamePattern(const std::string& pattern, bool for_window) {
  const auto said = [for_window](std::string window, std::string command_line) {
    return for_window ? window : command_line;
  };
  if (pattern.empty()) return said("样式是空的，起不了文件名", "the pattern is empty");
  if (pattern.find_first_of("/\\") != std::string::npos) {
    return said("文件名里不能有 / 或 \\", "a name cannot hold / or \\");
  }
  std::string bad;
  const auto sample = Fill(pattern, kSampleValues, true, &bad);
  if (!sample) {
    return said(
        "不认识 " + bad + "（可用 {name}、{n}、{n:03}、{folder}、{date}、{w}、{h}、{list}）",
        "unknown " + bad + " (use {name}, {n}, {n:03}, {folder}, {date}, {w}, {h}, {list})");
  }
  if (*sample == "." || *sample == "..") {
    return said("起出的文件名会是 " + *sample, "the names would be " + *sample);
  }
  return "";
}

std::string RenamedBase(const std::string& pattern, const TokenValues& values) {
  return Fill(pattern, values, true).value_or(values.file_name);
}

std::string ExpandedText(const std::string& text, const TokenValues& values) {
  return *Fill(text, values, false);
}

bool HoldsTokens(const std::string& text) {
  int tokens = 0;
  Fill(text, kSampleValues, false, nullptr, &tokens);
  return tokens > 0;
}

bool HoldsOutputSize(std::string_view name) {
  return name.find("{w}") != std::string_view::npos || name.find("{h}") != std::string_view::npos;
}

bool MatchesAnySize(std::string_view sized, std::string_view name) {
  if (sized.empty()) return name.empty();
  const size_t mark = kSizeNotKnown.size() + 1;
  if (sized.substr(0, kSizeNotKnown.size()) == kSizeNotKnown && sized.size() >= mark) {
    // One or more digits, then the rest.
    size_t digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') {
      ++digits;
      if (MatchesAnySize(sized.substr(mark), name.substr(digits))) return true;
    }
    return false;
  }
  return !name.empty() && sized[0] == name[0] && MatchesAnySize(sized.substr(1), name.substr(1));
}

}  // namespace lumivane
