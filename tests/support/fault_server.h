#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace veyra::testing {

// One accepted connection of a FaultServer, handed to the scripted handler. All calls are made
// on the connection's own server thread.
class FaultConnection {
 public:
  FaultConnection(int fd, int index, const std::atomic<bool>& stopping);
  ~FaultConnection();
  FaultConnection(const FaultConnection&) = delete;
  FaultConnection& operator=(const FaultConnection&) = delete;

  // Writes all bytes (errors such as a peer that went away are ignored).
  void Send(std::string_view bytes);
  // Writes the bytes in pieces of `piece` bytes with a pause of `pause_ms` after each.
  void SendSlowly(std::string_view bytes, size_t piece, int pause_ms);
  // Waits `ms` milliseconds, or less when the server shuts down.
  void Sleep(int ms);
  // Drops the connection at once, possibly in the middle of a reply.
  void Close();
  // Waits (at most `ms`) until the client closes its end; true when it did.
  bool WaitForPeerClose(int ms);

  bool closed() const { return fd_ < 0; }
  int index() const { return index_; }  // 0 for the first connection the server accepted
  int fd() const { return fd_; }

 private:
  int fd_;
  int index_;
  const std::atomic<bool>& stopping_;
};

// A loopback HTTP server whose every reply is scripted, for testing how a client copes with
// servers that misbehave. It listens on 127.0.0.1 at an ephemeral port, serves each connection
// on its own thread, reads each request up to its empty line, records it raw, and hands it to
// the handler, which writes whatever it likes. A connection stays open for further requests
// until the handler or the client closes it. The destructor stops everything within a bounded
// time.
class FaultServer {
 public:
  using Handler = std::function<void(FaultConnection&, const std::string& request)>;

  explicit FaultServer(Handler handler);
  ~FaultServer();
  FaultServer(const FaultServer&) = delete;
  FaultServer& operator=(const FaultServer&) = delete;

  int port() const { return port_; }
  std::string base_url() const;  // "http://127.0.0.1:<port>/"
  int connections() const { return connections_.load(); }
  int open_connections() const { return open_.load(); }
  // The most connections that were open at the same time.
  int peak_open_connections() const { return peak_open_.load(); }
  std::vector<std::string> requests() const;
  // How long the server takes to notice that a client closed a connection (0 by default).
  void SetCloseNoticeDelay(int ms) { close_notice_delay_ms_ = ms; }

  // "HTTP/1.1 <status> <reason>", a Content-Length for the body, the extra header lines (given
  // without line ends), an empty line, the body.
  static std::string Reply(int status, std::string_view body,
                           const std::vector<std::string>& headers = {});
  // Status line and the given header lines plus the empty line; nothing added.
  static std::string Head(int status, const std::vector<std::string>& headers,
                          std::string_view version = "HTTP/1.1");
  // The pieces as a chunked body, with the closing zero chunk.
  static std::string Chunked(const std::vector<std::string>& pieces);

 private:
  void AcceptLoop();
  void Serve(int fd, int index);

  Handler handler_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> open_{0};
  std::atomic<int> peak_open_{0};
  std::atomic<int> close_notice_delay_ms_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> workers_;  // guarded by mutex_
  std::thread acceptor_;
};

}  // namespace veyra::testing
