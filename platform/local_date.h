// Today's date on this machine's clock and time zone.
#ifndef LUMIVANE_PLATFORM_LOCAL_DATE_H_
#define LUMIVANE_PLATFORM_LOCAL_DATE_H_

#include <string>

namespace lumivane::platform {

// "YYYY-MM-DD", local time.
std::string LocalDate();

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_LOCAL_DATE_H_
