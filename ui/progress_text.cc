#include "ui/progress_text.h"

#include <cmath>

namespace lumivane::ui {

std::string PictureProgressText(int done, int total, double elapsed_seconds) {
  std::string text = "已处理 " + std::to_string(done) + " / " + std::to_string(total);
  // A pace of under a second (a picture that could not be read, or one
  // small one) says nothing yet of the time the rest will take.
  if (done <= 0 || done > total || elapsed_seconds < 1.0) return text;
  const long left = std::lround(elapsed_seconds / done * (total - done));
  const std::string seconds = std::to_string(left % 60);
  return text + " · 剩余约 " + std::to_string(left / 60) + ":" + (seconds.size() < 2 ? "0" : "") +
         seconds;
}

}  // namespace lumivane::ui
