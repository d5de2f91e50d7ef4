#include "platform/sockets.h"

#include <winsock2.h>

#include <chrono>

namespace veyra {

// Winsock is started by whoever uses sockets first (libcurl's global start-up does it).
SocketHandle OpenSocket(int family, int type, int protocol) {
  const SOCKET socket = WSASocketW(family, type, protocol, nullptr, 0,
                                   WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket);
}

int CloseSocket(SocketHandle socket) {
  return closesocket(static_cast<SOCKET>(socket));
}

int CloseSocketAfterPeer(SocketHandle socket, int wait_ms) {
  using Clock = std::chrono::steady_clock;
  const auto handle = static_cast<SOCKET>(socket);
  if (shutdown(handle, SD_SEND) == 0) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(wait_ms);
    char dropped[4096];
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      WSAPOLLFD readable{handle, POLLRDNORM, 0};
      if (WSAPoll(&readable, 1, static_cast<INT>(left)) <= 0) break;
      const int n = recv(handle, dropped, sizeof dropped, 0);
      if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
      if (n <= 0) break;  // closed by the other end, or failed
    }
  }
  return closesocket(handle);
}

}  // namespace veyra
