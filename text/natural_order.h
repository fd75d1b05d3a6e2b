// The order in which a file manager shows names: letters without regard to
// case, runs of digits by their value (2.jpg before 10.jpg).
#ifndef LUMIVANE_TEXT_NATURAL_ORDER_H_
#define LUMIVANE_TEXT_NATURAL_ORDER_H_

#include <string_view>

namespace lumivane {

// A strict total order: names that compare equal by the rules above
// (case, leading zeros) are ordered by their raw bytes.
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace lumivane

#endif  // LUMIVANE_TEXT_NATURAL_ORDER_H_
