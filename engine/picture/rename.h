// Output names from a pattern the user gives: {name} (the source's name
// without its extension), {n} or {n:03} (its number in its folder's name
// order, from the start number; zero-padded to 3 digits), {folder} (its
// folder's name), {w} and {h} (the output's width and height, known once
// it is made). The output format's extension is added to the result.
#ifndef LUMIVANE_ENGINE_PICTURE_RENAME_H_
#define LUMIVANE_ENGINE_PICTURE_RENAME_H_

#include <string>
#include <string_view>

namespace lumivane {

// "" when `pattern` makes names, else what is wrong with it.
std::string CheckRenamePattern(const std::string& pattern);

// The name (without extension) `pattern` gives the picture `file_name`,
// numbered `number`, in the folder `folder_name`, made `width` x `height`;
// while the size is not known (0), {w} and {h} become a mark of their own
// that MatchesAnySize reads.
std::string RenamedBase(const std::string& pattern, const std::string& file_name, int number,
                        const std::string& folder_name, int width = 0, int height = 0);

// True when `name` holds {w} or {h}: it is known once the picture is made.
bool HoldsOutputSize(std::string_view name);

// True when `name` is what `sized` (a name made while the output's size was
// not known) becomes for some size.
bool MatchesAnySize(std::string_view sized, std::string_view name);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_RENAME_H_
