#include "support/test_sockets.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace veyra::testing {
namespace {

#ifdef _WIN32
using Length = int;
constexpr int kNoSignal = 0;  // Winsock raises no signal on a closed peer
int NewSocket() {
  static const bool started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return -1;
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
  return socket == INVALID_SOCKET ? -1 : static_cast<int>(socket);
}
int Poll(pollfd* entry, int ms) {
  return WSAPoll(entry, 1, ms);
}
#else
using Length = socklen_t;
constexpr int kNoSignal = MSG_NOSIGNAL;
int NewSocket() {
  return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}
int Poll(pollfd* entry, int ms) {
  return ::poll(entry, 1, ms);
}
#endif

}  // namespace

int ListenOnLoopback(int& port) {
  const int listening = NewSocket();
  if (listening < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  Length length = sizeof(address);
  if (::bind(listening, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listening, 16) != 0 ||
      ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseTestSocket(listening);
    return -1;
  }
  port = ntohs(address.sin_port);
  return listening;
}

int AcceptConnection(int listening) {
#ifdef _WIN32
  const SOCKET accepted = ::accept(listening, nullptr, nullptr);
  return accepted == INVALID_SOCKET ? -1 : static_cast<int>(accepted);
#else
  return ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
#endif
}

bool WaitSocketReadable(int socket, int ms) {
  pollfd entry{};
  entry.fd = socket;
  entry.events = POLLIN;
  return Poll(&entry, ms) > 0;
}

long SendSome(int socket, const char* bytes, size_t size) {
  return ::send(socket, bytes, static_cast<int>(size), kNoSignal);
}

long ReceiveSome(int socket, char* buffer, size_t size, bool peek) {
  return ::recv(socket, buffer, static_cast<int>(size), peek ? MSG_PEEK : 0);
}

void CloseTestSocket(int socket) {
#ifdef _WIN32
  ::closesocket(socket);
#else
  ::close(socket);
#endif
}

}  // namespace veyra::testing
