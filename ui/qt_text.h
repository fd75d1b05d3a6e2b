// The program's UTF-8 text as Qt's.
#ifndef LUMIVANE_UI_QT_TEXT_H_
#define LUMIVANE_UI_QT_TEXT_H_

#include <QString>
#include <string>

namespace lumivane::ui {

inline QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_QT_TEXT_H_
