// The short text the progress bar carries during a run.
#ifndef LUMIVANE_UI_PROGRESS_TEXT_H_
#define LUMIVANE_UI_PROGRESS_TEXT_H_

#include <string>

namespace lumivane::ui {

// "已处理 12 / 60 · 剩余约 0:08": the time left from the pace so far; no
// estimate before the first picture and a second of work.
std::string PictureProgressText(int done, int total, double elapsed_seconds);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_PROGRESS_TEXT_H_
