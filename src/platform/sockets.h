#pragma once

#include <cstdint>

namespace veyra {

// A socket as the system hands it out (a descriptor here, a SOCKET on Windows), so that code
// that opens its own connections (the HTTP client's socket callbacks) stays the same on both.
using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kNoSocket = ~SocketHandle{0};

// A new socket that is not inherited by programs this one starts; kNoSocket on failure.
SocketHandle OpenSocket(int family, int type, int protocol);

// Closes it; 0 on success.
int CloseSocket(SocketHandle socket);

// Closes a connected socket once the other end has closed its side too: sends no more, then
// waits up to `wait_ms` for the other end's close (dropping whatever it still sends), so that
// the server no longer counts the connection when a new one reaches it. 0 on success.
int CloseSocketAfterPeer(SocketHandle socket, int wait_ms);

}  // namespace veyra
