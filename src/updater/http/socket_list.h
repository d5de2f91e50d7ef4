#pragma once

#include <curl/curl.h>

#include <algorithm>
#include <vector>

namespace veyra {

// The sockets of one state (opening, open) that the connection events are counted from.
using SocketList = std::vector<curl_socket_t>;

inline bool ContainsSocket(const SocketList& sockets, curl_socket_t socket) {
  return std::find(sockets.begin(), sockets.end(), socket) != sockets.end();
}

// Takes the socket out of the list; false when it was not in it.
inline bool RemoveSocket(SocketList& sockets, curl_socket_t socket) {
  const auto it = std::find(sockets.begin(), sockets.end(), socket);
  if (it == sockets.end()) return false;
  sockets.erase(it);
  return true;
}

}  // namespace veyra
