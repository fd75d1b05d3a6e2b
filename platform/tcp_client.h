// One request and its answer over TCP, within time limits, so that an
// unreachable or slow peer cannot hold the caller up.
#ifndef LUMIVANE_PLATFORM_TCP_CLIENT_H_
#define LUMIVANE_PLATFORM_TCP_CLIENT_H_

#include <chrono>
#include <optional>
#include <string>

namespace lumivane::platform {

struct ExchangeLimits {
  std::chrono::milliseconds connect{5000};
  std::chrono::milliseconds send{5000};
  std::chrono::milliseconds receive{5000};
  std::chrono::milliseconds whole{10000};  // name lookup to last byte
  size_t max_response_bytes = 2048;
};

// Connects to the first IPv4 address of `host`, sends `request` whole and
// reads until the peer closes or `max_response_bytes` have arrived. None
// when nothing could be sent or the answer was cut off (an error or a time
// limit before its end): a partial answer is no answer.
std::optional<std::string> ExchangeOnce(const std::string& host, int port,
                                        const std::string& request, const ExchangeLimits& limits);

}  // namespace lumivane::platform

#endif  // LUMIVANE_PLATFORM_TCP_CLIENT_H_
