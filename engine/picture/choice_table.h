// A list the window offers as a table of values: a value by its position
// in the list, and the position of a value typed elsewhere.
#ifndef LUMIVANE_ENGINE_PICTURE_CHOICE_TABLE_H_
#define LUMIVANE_ENGINE_PICTURE_CHOICE_TABLE_H_

#include <algorithm>
#include <array>
#include <optional>

namespace lumivane {

// Out-of-range positions are clamped into the table, so a hand-edited
// settings file cannot make a lookup read outside it.
template <typename T, size_t N>
T Lookup(const std::array<T, N>& table, int position) {
  return table[static_cast<size_t>(std::clamp(position, 0, static_cast<int>(N) - 1))];
}

// None for a value the list does not offer.
template <typename T, size_t N>
std::optional<int> PositionOf(const std::array<T, N>& table, T value) {
  const auto at = std::find(table.begin(), table.end(), value);
  if (at == table.end()) return std::nullopt;
  return static_cast<int>(at - table.begin());
}

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_CHOICE_TABLE_H_
