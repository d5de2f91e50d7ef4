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

}  // namespace veyra
