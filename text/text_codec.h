// Conversion between the GBK text of the data files and the UTF-8 used
// everywhere inside the program. GB18030 is used for GBK: it has the same
// bytes for every GBK character and can also hold every other character.
#ifndef LUMIVANE_TEXT_TEXT_CODEC_H_
#define LUMIVANE_TEXT_TEXT_CODEC_H_

#include <optional>
#include <string>
#include <string_view>

namespace lumivane {

// Bytes that are not valid in the source encoding become U+FFFD (or "?"
// towards GBK) and the conversion goes on. When the converter cannot be
// opened, "iconv error" goes to standard output and the text passes unchanged.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// None when any byte is not valid in the source encoding.
std::optional<std::string> GbkToUtf8Exactly(std::string_view gbk);
std::optional<std::string> Utf8ToGbkExactly(std::string_view utf8);

}  // namespace lumivane

#endif  // LUMIVANE_TEXT_TEXT_CODEC_H_
