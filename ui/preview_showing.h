// Where a made preview is shown: the desktop's picture viewer, else a
// browser, else - nothing here opens pictures - the program's own window.
#ifndef LUMIVANE_UI_PREVIEW_SHOWING_H_
#define LUMIVANE_UI_PREVIEW_SHOWING_H_

#include <functional>
#include <string>

namespace lumivane::ui {

struct PreviewShowers {
  // The desktop's results (platform/shell_open.h).
  std::function<int(const std::string& file)> viewer;
  std::function<int(const std::string& file)> browser;
  std::function<bool(const std::string& file, const std::string& title)> own_window;
};

// "" when shown, else what to tell the user.
std::string ShowMadePreview(const PreviewShowers& showers, const std::string& file,
                            const std::string& title);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_PREVIEW_SHOWING_H_
