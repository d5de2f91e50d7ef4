#include "platform/sockets.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace veyra {

SocketHandle OpenSocket(int family, int type, int protocol) {
  const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
  return fd < 0 ? kNoSocket : static_cast<SocketHandle>(fd);
}

int CloseSocket(SocketHandle socket) {
  return ::close(static_cast<int>(socket));
}

int CloseSocketAfterPeer(SocketHandle socket, int wait_ms) {
  using Clock = std::chrono::steady_clock;
  const int fd = static_cast<int>(socket);
  if (::shutdown(fd, SHUT_WR) == 0) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(wait_ms);
    char dropped[4096];
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd readable{fd, POLLIN, 0};
      const int ready = ::poll(&readable, 1, static_cast<int>(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) break;
      const ssize_t n = ::recv(fd, dropped, sizeof dropped, 0);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) break;  // closed by the other end, or failed
    }
  }
  return ::close(fd);
}

}  // namespace veyra
