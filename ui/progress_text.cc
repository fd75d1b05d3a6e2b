#include "ui/progress_text.h"

#include <cmath>

namespace lumivane::ui {

std::string PictureProgressText(int done, int total, double elapsed_seconds) {
  std::string text = "已处理 " + std::to_string(done) + " / " + std::to_string(total);
  if (done <= 0 || done > total) return text;
  const long left = std::lround(elapsed_seconds / done * (total - done));
  const std::string seconds = std::to_string(left % 60);
  return text + " · 剩余约 " + std::to_string(left / 60) + ":" + (seconds.size() < 2 ? "0" : "") +
         seconds;
}

}  // namespace lumivane::ui
