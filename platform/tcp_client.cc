#include "platform/tcp_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "platform/capped_buffer.h"

namespace lumivane::platform {
namespace {

using Clock = std::chrono::steady_clock;

struct Socket {
  int fd = -1;
  ~Socket() {
    if (fd >= 0) close(fd);
  }
};

int MillisLeft(Clock::time_point deadline, std::chrono::milliseconds step) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(0, std::min(left, step).count()));
}

// The name lookup cannot be given a time limit, so it runs on a thread of
// its own that is left behind when it takes too long.
std::optional<in_addr> Resolve(const std::string& host, Clock::time_point deadline) {
  auto result = std::make_shared<std::promise<std::optional<in_addr>>>();
  auto answer = result->get_future();
  std::thread([host, result] {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::optional<in_addr> address;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0 && list != nullptr) {
      address = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr;
      freeaddrinfo(list);
    }
    result->set_value(address);
  }).detach();
  if (answer.wait_until(deadline) != std::future_status::ready) return std::nullopt;
  return answer.get();
}

bool WaitFor(int fd, short events, int millis) {
  pollfd p{fd, events, 0};
  int r;
  do {
    r = poll(&p, 1, millis);
  } while (r < 0 && errno == EINTR);
  return r > 0 && (p.revents & (events | POLLHUP | POLLERR));
}

}  // namespace

std::optional<std::string> ExchangeOnce(const std::string& host, int port,
                                        const std::string& request, const ExchangeLimits& limits) {
  const auto deadline = Clock::now() + limits.whole;
  auto address = Resolve(host, deadline);
  if (!address) return std::nullopt;
  Socket s;
  s.fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
  if (s.fd < 0) return std::nullopt;
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(port));
  peer.sin_addr = *address;
  if (connect(s.fd, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)) != 0) {
    if (errno != EINPROGRESS || !WaitFor(s.fd, POLLOUT, MillisLeft(deadline, limits.connect))) {
      return std::nullopt;
    }
    int error = 0;
    socklen_t len = sizeof(error);
    if (getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0)
      return std::nullopt;
  }
  size_t sent = 0;
  while (sent < request.size()) {
    if (!WaitFor(s.fd, POLLOUT, MillisLeft(deadline, limits.send))) return std::nullopt;
    ssize_t n = send(s.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) return std::nullopt;
    sent += static_cast<size_t>(n);
  }
  CappedBuffer response(limits.max_response_bytes);
  char buffer[2048];
  while (!response.full()) {
    if (!WaitFor(s.fd, POLLIN, MillisLeft(deadline, limits.receive))) return std::nullopt;
    ssize_t n = recv(s.fd, buffer, std::min(sizeof(buffer), response.room()), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;  // the peer closed: the answer is whole
    response.Append(std::string_view(buffer, static_cast<size_t>(n)));
  }
  return response.bytes();
}

}  // namespace lumivane::platform
