#include "engine/picture/size_rule.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "text/text_helpers.h"

namespace lumivane {
namespace {

constexpr int kLargestSide = 100000;

int Rounded(double v) { return std::max(1, static_cast<int>(std::lround(v))); }

}  // namespace

PictureSize ShrunkSize(int w, int h, int width) {
  if (w <= width) return {w, h};
  const long long new_height = static_cast<long long>(h) * width / w;
  return {width, static_cast<int>(std::max(1LL, new_height))};
}

PictureSize FittedSize(int w, int h, int width, int height) {
  const PictureSize shrunk = ShrunkSize(w, h, width);
  if (height <= 0 || shrunk.height <= height) return shrunk;
  const long long new_width = static_cast<long long>(w) * height / h;
  return {static_cast<int>(std::max(1LL, new_width)), height};
}

std::optional<PictureSize> ParseDimensions(const std::string& text) {
  size_t x = text.find_first_of("xX");
  size_t skip = 1;
  if (const size_t times = text.find("×"); x == std::string::npos && times != std::string::npos) {
    x = times, skip = std::string("×").size();
  }
  if (x == std::string::npos) return std::nullopt;
  auto number = [](std::string_view s) -> std::optional<int> {
    const auto n = WholeNumber(s);
    if (!n || *n < 1 || *n > kLargestSide) return std::nullopt;
    return n;
  };
  const std::string_view all(text);
  const auto w = number(all.substr(0, x)), h = number(all.substr(x + skip));
  if (!w || !h) return std::nullopt;
  return PictureSize{*w, *h};
}

std::string CheckDimensions(const std::string& text, bool for_window) {
  if (ParseDimensions(text)) return "";
  return for_window ? "要写成 宽x高，每边 1 到 100000，如 800x800"
                    : "not WIDTHxHEIGHT (each 1 to 100000, as 800x800)";
}

namespace {

// One conflict, in the window's words and the command line's.
struct Conflict {
  const char* told;
  const char* options;
};

std::optional<Conflict> ConflictOf(const ExtraOperations& e) {
  const int sizes = (e.height > 0) + (e.long_side > 0) + !e.box.empty() + !e.size.empty();
  if (sizes > 1) {
    return Conflict{"高度、长边、框和尺寸只能选一种",
                    "only one of --height, --long-side, --box and --size may be given"};
  }
  if (!e.size.empty() && e.square) {
    return Conflict{"方形画布和尺寸不能同时使用（方形即是宽高相同的尺寸）",
                    "--square cannot be given with --size (a square is a size of equal sides)"};
  }
  if (e.format == kPngOutput && e.max_kb > 0) {
    return Conflict{
        "PNG 图片没有品质可以调低，不能限制文件大小：请改用 JPEG 或 WebP "
        "格式，或者取消文件大小限制",
        "--max-kb cannot be given with --format png (PNG has no quality to lower)"};
  }
  // Without a list every picture's {list} is empty: the names would clash.
  if (e.rename.find("{list}") != std::string::npos && e.rename_list.empty()) {
    return Conflict{"重命名里用了 {list}，要选一个改名清单",
                    "--rename with {list} needs --rename-list"};
  }
  return std::nullopt;
}

}  // namespace

std::string OperationsConflict(const ExtraOperations& e) {
  const auto conflict = ConflictOf(e);
  return conflict ? conflict->told : "";
}

std::string ConflictingOptions(const ExtraOperations& e) {
  const auto conflict = ConflictOf(e);
  return conflict ? conflict->options : "";
}

SizeRule SizeRuleOf(int width, const ExtraOperations& e) {
  SizeRule rule;
  rule.fit = e.fit;
  rule.enlarge = e.enlarge;
  const auto box = ParseDimensions(e.box), size = ParseDimensions(e.size);
  if (e.height > 0) {
    rule.height = e.height;
  } else if (e.long_side > 0) {
    rule.width = rule.height = e.long_side;
  } else if (box) {
    rule.width = box->width, rule.height = box->height;
  } else if (size) {
    rule.width = size->width, rule.height = size->height;
    rule.exact = true;
  } else {
    rule.width = width;
    rule.truncated = true;
  }
  if (e.square && !rule.exact && rule.Any())
    rule.width = rule.height = std::max(rule.width, rule.height);
  return rule;
}

PictureSize ScaledSize(PictureSize own, const SizeRule& rule) {
  if (!rule.Any()) return own;
  const double w = own.width, h = own.height;
  const double across = rule.width > 0 ? rule.width / w : HUGE_VAL;
  const double down = rule.height > 0 ? rule.height / h : HUGE_VAL;
  const bool by_width = rule.Cuts() ? across >= down : across <= down;
  const double scale = by_width ? across : down;
  if (scale >= 1 && !rule.enlarge) return own;
  if (rule.truncated && scale < 1)
    return FittedSize(own.width, own.height, rule.width, rule.height);
  return by_width ? PictureSize{rule.width, Rounded(h * scale)}
                  : PictureSize{Rounded(w * scale), rule.height};
}

PictureSize CutSize(PictureSize scaled, const SizeRule& rule) {
  // Smaller and not enlarged: what it has of each side; the canvas makes
  // up the rest.
  return {std::min(scaled.width, rule.width), std::min(scaled.height, rule.height)};
}

}  // namespace lumivane
