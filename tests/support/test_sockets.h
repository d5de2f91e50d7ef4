#pragma once

#include <cstddef>

namespace veyra::testing {

// The socket calls of the loopback test servers, the same on both systems (Winsock on Windows,
// started on first use). Sockets are plain ints; -1 is none.

// A socket listening on 127.0.0.1 at a port the system picks (put in `port`), or -1.
int ListenOnLoopback(int& port);
// The next connection of a listening socket, or -1.
int AcceptConnection(int listening);
// Whether the socket becomes readable within `ms` milliseconds.
bool WaitSocketReadable(int socket, int ms);
// One send or receive call: the bytes moved, 0 or less when the connection is gone.
long SendSome(int socket, const char* bytes, size_t size);
long ReceiveSome(int socket, char* buffer, size_t size, bool peek = false);
void CloseTestSocket(int socket);

}  // namespace veyra::testing
