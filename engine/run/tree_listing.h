// The folders of a source tree a run goes through, or why the run is
// refused before anything is written: a value carrying the message and
// the field to take the focus.
#ifndef LUMIVANE_ENGINE_RUN_TREE_LISTING_H_
#define LUMIVANE_ENGINE_RUN_TREE_LISTING_H_

#include <optional>
#include <string>
#include <variant>

#include "engine/run/folder_scan.h"
#include "engine/run/run_request.h"
#include "engine/run/string_list.h"

namespace lumivane {

struct Refusal {
  const char* message;
  std::optional<Field> focus;
};

struct TreeListing {
  StringList folders;  // the source first
  FoldersLeftOut left_out;
};

// Refused when the target lies inside the source (`target_inside_source`)
// or a folder of the tree would receive outputs (a source inside the
// target mirrors its own subfolder "in/in" onto "in").
std::variant<TreeListing, Refusal> ListSourceTree(const std::string& source,
                                                  const std::string& target,
                                                  bool target_inside_source);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_TREE_LISTING_H_
