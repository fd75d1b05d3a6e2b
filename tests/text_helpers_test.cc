#include "text/text_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/natural_order.h"

namespace lumivane {
namespace {

TEST(TextHelpersTest, NaturalOrderIgnoresCaseReadsNumbersAndIsTotal) {
  std::vector<std::string> names = {"10.jpg",    "b.jpg",       "2.jpg",      "A.jpg",
                                    "1.jpg",     "a.jpg",       "img010.jpg", "img9.jpg",
                                    "img10.jpg", "\xB1\xA6.jpg"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names,
            (std::vector<std::string>{"1.jpg", "2.jpg", "10.jpg", "A.jpg", "a.jpg", "b.jpg",
                                      "img9.jpg", "img010.jpg", "img10.jpg", "\xB1\xA6.jpg"}));
  EXPECT_FALSE(NaturalLess("x", "x"));
}

TEST(TextHelpersTest, TrimSpacesDropsBlanksTabsAndLineEndsAtBothEnds) {
  EXPECT_EQ(TrimSpaces("  12 \r\n"), "12");
  EXPECT_EQ(TrimSpaces("\t a b \t"), "a b");
  EXPECT_EQ(TrimSpaces(" \r\n\t"), "");
  EXPECT_EQ(TrimSpaces(""), "");
}

TEST(TextHelpersTest, IsDigitsOnlyAcceptsOnlyPlainDigits) {
  EXPECT_TRUE(IsDigitsOnly("0999"));
  EXPECT_FALSE(IsDigitsOnly(""));
  EXPECT_FALSE(IsDigitsOnly("-5"));
  EXPECT_FALSE(IsDigitsOnly("5.0"));
  EXPECT_FALSE(IsDigitsOnly(" 5"));
  EXPECT_FALSE(IsDigitsOnly("640px"));
}

TEST(TextHelpersTest, HasNonAsciiSeesChineseCharacters) {
  EXPECT_TRUE(HasNonAscii("店铺 shop"));
  EXPECT_FALSE(HasNonAscii("shop.example.com"));
}

TEST(TextHelpersTest, EndsWithAndStartsWithAreCaseSensitive) {
  EXPECT_TRUE(EndsWith("a.png", ".png"));
  EXPECT_FALSE(EndsWith("a.PNG", ".png"));
  EXPECT_FALSE(EndsWith("ng", ".png"));
  EXPECT_TRUE(StartsWith("HTTP/1.1 200 OK\r\n", "HTTP/1.1 200 OK"));
  EXPECT_FALSE(StartsWith("HTTP/1.0 200 OK", "HTTP/1.1 200 OK"));
  EXPECT_FALSE(StartsWith("abc", ""));
  EXPECT_TRUE(StartsWith("", ""));
}

}  // namespace
}  // namespace lumivane
