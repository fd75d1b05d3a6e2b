// A growable list of owned texts, used for folder and file lists. It grows
// in steps of ten entries, as these lists stay small.
#ifndef LUMIVANE_ENGINE_RUN_STRING_LIST_H_
#define LUMIVANE_ENGINE_RUN_STRING_LIST_H_

#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

struct StringList {
  std::vector<std::string> items;
  int capacity = 10;
  int growth_step = 10;
  int count() const { return static_cast<int>(items.size()); }
};

StringList StringListNew();
void StringListAppend(StringList& list, std::string_view text);
// The item at index, or nullptr when the index is negative or not below count.
const std::string* StringListGet(const StringList& list, int index);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_STRING_LIST_H_
