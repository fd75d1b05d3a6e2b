#include "text/text_codec.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace lumivane {
namespace {

TEST(TextCodecTest, ChineseRoundTripsThroughGbkBytes) {
  const std::string utf8 = "宝贝图片 水印";
  const std::string gbk = Utf8ToGbk(utf8);
  EXPECT_EQ(gbk, "\xB1\xA6\xB1\xB4\xCD\xBC\xC6\xAC \xCB\xAE\xD3\xA1");
  EXPECT_EQ(GbkToUtf8(gbk), utf8);
}

TEST(TextCodecTest, CharactersOutsideGbkAreKept) {
#ifdef _WIN32
  if (!IsValidCodePage(54936)) GTEST_SKIP() << "this system has no GB18030 code page (wine)";
#endif
  const std::string utf8 = "€ 😀 ㈱";
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk(utf8)), utf8);
}

TEST(TextCodecTest, InvalidBytesAreMarkedAndTheRestSurvives) {
  // A lone lead byte in the middle must not cut the text off.
  EXPECT_EQ(GbkToUtf8("ab\x81 cd"), "ab\xEF\xBF\xBD cd");
  EXPECT_EQ(GbkToUtf8("ab\x81"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToGbk("ab\xFF"
                      "cd"),
            "ab?cd");
}

}  // namespace
}  // namespace lumivane
