#include "engine/run/string_list.h"

namespace lumivane {

StringList StringListNew() {
  StringList list;
  list.items.reserve(static_cast<size_t>(list.capacity));
  return list;
}

void StringListAppend(StringList& list, std::string_view text) {
  if (list.count() == list.capacity) {
    list.capacity += list.growth_step;
    list.items.reserve(static_cast<size_t>(list.capacity));
  }
  list.items.emplace_back(text);
}

const std::string* StringListGet(const StringList& list, int index) {
  if (index < 0 || index >= list.count()) return nullptr;
  return &list.items[static_cast<size_t>(index)];
}

}  // namespace lumivane
