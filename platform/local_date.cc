#include "platform/local_date.h"

#include <ctime>

namespace lumivane::platform {

std::string LocalDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  std::string text(32, '\0');  // room for any year
  text.resize(std::strftime(text.data(), text.size(), "%Y-%m-%d", &local));
  return text;
}

}  // namespace lumivane::platform
