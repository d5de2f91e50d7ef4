#include "platform/sockets.h"

#include <sys/socket.h>
#include <unistd.h>

namespace veyra {

SocketHandle OpenSocket(int family, int type, int protocol) {
  const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
  return fd < 0 ? kNoSocket : static_cast<SocketHandle>(fd);
}

int CloseSocket(SocketHandle socket) {
  return ::close(static_cast<int>(socket));
}

}  // namespace veyra
