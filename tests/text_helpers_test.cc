#include "engine/text_helpers.h"

#include <gtest/gtest.h>

namespace lumivane {
namespace {

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
