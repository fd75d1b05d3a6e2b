// Small text tests used to clean and check what the user typed.
#ifndef LUMIVANE_TEXT_TEXT_HELPERS_H_
#define LUMIVANE_TEXT_TEXT_HELPERS_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace lumivane {

// Drops blanks, tabs, CR and LF at both ends.
std::string TrimSpaces(std::string_view text);
// True for a non-empty text of the digits 0 to 9 only.
bool IsDigitsOnly(std::string_view text);
// The whole text as an int ("-3", "42"); none for anything else (blanks,
// a trailing sign or letter, out of range).
std::optional<int> WholeNumber(std::string_view text);
// True when a byte is 0x80 or above (a Chinese or other non-ASCII character).
bool HasNonAscii(std::string_view text);
// Byte for byte, case-sensitive.
bool EndsWith(std::string_view text, std::string_view suffix);
// Byte for byte, case-sensitive; an empty prefix matches only an empty text.
bool StartsWith(std::string_view text, std::string_view prefix);
// The text before and after the first `at` ("3,4" -> "3", "4"); none
// without one.
std::optional<std::pair<std::string, std::string>> SplitOnce(std::string_view text, char at);
// ASCII letters lowered, other bytes kept.
std::string AsciiLower(std::string_view text);
// For HTML text and attribute values: & < > " ' as entities.
std::string HtmlEscaped(std::string_view text);
// The length of the well-formed UTF-8 character at `at` (1 to 4), or 0
// when the bytes there are not one (overlong forms and surrogates are not).
size_t Utf8CharLength(std::string_view text, size_t at);
bool IsValidUtf8(std::string_view text);

}  // namespace lumivane

#endif  // LUMIVANE_TEXT_TEXT_HELPERS_H_
