#include "engine/picture/rename.h"

#include <optional>
#include <string_view>

namespace lumivane {
namespace {

// Before "w" or "h" where the output's size is not known yet: bytes that
// no name a user types holds.
constexpr std::string_view kSizeNotKnown = "\x01\x02";

// What a picture's name is made of.
struct Values {
  const std::string& file_name;
  int number;
  const std::string& folder_name;
  int width, height;
};

// What one "{...}" stands for, or none when it is not known.
std::optional<std::string> Expand(const std::string& token, const Values& v) {
  const std::string& file_name = v.file_name;
  const int number = v.number;
  if (token == "name") {
    const size_t dot = file_name.rfind('.');
    return dot == std::string::npos || dot == 0 ? file_name : file_name.substr(0, dot);
  }
  if (token == "folder") return v.folder_name;
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

// The pattern with every token expanded; none when one is unknown or a
// brace is left open.
std::optional<std::string> Fill(const std::string& pattern, const Values& values,
                                std::string* bad) {
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    if (pattern[i] != '{') {
      out += pattern[i++];
      continue;
    }
    const size_t close = pattern.find('}', i);
    if (close == std::string::npos) {
      if (bad) *bad = pattern.substr(i);
      return std::nullopt;
    }
    const std::string token = pattern.substr(i + 1, close - i - 1);
    const auto value = Expand(token, values);
    if (!value) {
      if (bad) *bad = "{" + token + "}";
      return std::nullopt;
    }
    out += *value;
    i = close + 1;
  }
  return out;
}

}  // namespace

std::string CheckRenamePattern(const std::string& pattern) {
  if (pattern.empty()) return "the pattern is empty";
  if (pattern.find_first_of("/\\") != std::string::npos) return "a name cannot hold / or \\";
  std::string bad;
  const std::string name = "a.jpg", folder = "f";
  const auto sample = Fill(pattern, {name, 1, folder, 1, 1}, &bad);
  if (!sample) return "unknown " + bad + " (use {name}, {n}, {n:03}, {folder}, {w}, {h})";
  if (*sample == "." || *sample == "..") return "the names would be " + *sample;
  return "";
}

std::string RenamedBase(const std::string& pattern, const std::string& file_name, int number,
                        const std::string& folder_name, int width, int height) {
  return Fill(pattern, {file_name, number, folder_name, width, height}, nullptr)
      .value_or(file_name);
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
