// The user's guide the window opens where its web page cannot be reached:
// the README's Chinese part ("## 如何使用"), made into HTML at build time.
#ifndef LUMIVANE_CLI_GUIDE_H_
#define LUMIVANE_CLI_GUIDE_H_

#include <string>

namespace lumivane::cli {

// The HTML page of the README's "## 如何使用" section (headings, numbered
// and plain lists, paragraphs, `code`); "" when the README has none.
std::string GuideHtml(const std::string& readme);

}  // namespace lumivane::cli

#endif  // LUMIVANE_CLI_GUIDE_H_
