#include "platform/sockets.h"

#include <winsock2.h>

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

}  // namespace veyra
