#include "text/natural_order.h"

namespace lumivane {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Folded(char c) {
  return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// The digits starting at `i`, without leading zeros; `i` moves past them.
std::string_view DigitRun(std::string_view s, size_t& i) {
  while (i < s.size() && s[i] == '0' && i + 1 < s.size() && IsDigit(s[i + 1])) ++i;
  const size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return s.substr(start, i - start);
}

// <0, 0, >0 by the natural rules alone.
int NaturalCompare(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i), y = DigitRun(b, j);
      if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
      if (const int c = x.compare(y); c != 0) return c;
      continue;
    }
    const unsigned char x = Folded(a[i++]), y = Folded(b[j++]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  const int c = NaturalCompare(a, b);
  return c != 0 ? c < 0 : a < b;
}

}  // namespace lumivane
