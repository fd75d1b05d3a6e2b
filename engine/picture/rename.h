// A picture's own data in the names and texts a user writes: {name} (the
// source's name without its extension), {n} or {n:03} (its number in its
// folder's name order, from the start number; zero-padded to 3 digits),
// {folder} (its folder's name), {date} (the run's date), {w} and {h} (the
// output's width and height, known once it is made), {list} (its name on
// the seller's item list, rename_list.h). A rename pattern
// gives output names (the format's extension is added); the text mark
// prints its text with them.
#ifndef LUMIVANE_ENGINE_PICTURE_RENAME_H_
#define LUMIVANE_ENGINE_PICTURE_RENAME_H_

#include <string>
#include <string_view>

namespace lumivane {

// What one picture's tokens stand for.
struct TokenValues {
  std::string file_name;  // the source's, with its extension
  int number = 0;
  std::string folder_name;
  std::string date;           // YYYY-MM-DD
  int width = 0, height = 0;  // the output's; 0 while not known
  std::string list{};         // its name on the item list; "" when not on it
};

// "" when `pattern` makes names, else what is wrong with it, in the
// window's words or the command line's.
std::string CheckRenamePattern(const std::string& pattern, bool for_window = false);

// The name (without extension) `pattern` gives the picture; while the size
// is not known (0), {w} and {h} become a mark of their own that
// MatchesAnySize reads.
std::string RenamedBase(const std::string& pattern, const TokenValues& values);

// `text` with its tokens filled; braces that hold no token print as typed.
std::string ExpandedText(const std::string& text, const TokenValues& values);

// True when `text` holds a token, so that it may differ by picture.
bool HoldsTokens(const std::string& text);

// True when `name` holds {w} or {h}: it is known once the picture is made.
bool HoldsOutputSize(std::string_view name);

// True when `name` is what `sized` (a name made while the output's size was
// not known) becomes for some size.
bool MatchesAnySize(std::string_view sized, std::string_view name);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_RENAME_H_
