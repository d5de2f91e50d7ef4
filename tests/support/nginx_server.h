#pragma once

#include <sys/types.h>

#include <cstdint>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/test_certificates.h"

namespace veyra::testing {

// One request as nginx's access log recorded it.
struct AccessLogLine {
  long connection = 0;           // nginx's serial number of the connection
  long connection_requests = 0;  // how many requests that connection had carried with this one
  std::string protocol;          // "HTTP/1.1", "HTTP/2.0"
  int status = 0;
  std::string uri;
  int64_t body_bytes = 0;  // body bytes sent, also of a reply cut short
};

// A real nginx serving the static files of `root` on 127.0.0.1, for tests that need a
// well-behaved server with keep-alive: plain HTTP/1.1, or with `tls` HTTPS that offers HTTP/2.
// Its configuration, logs and temporary files live in a fresh folder that is removed afterwards;
// the process runs in the foreground as a child and is stopped (and waited for) by the
// destructor.
class NginxServer {
 public:
  // Starts nginx and waits (bounded) until it answers. Throws std::runtime_error when it does
  // not come up; the message carries nginx's error log. `directives` go into the location that
  // serves `root` (for example "limit_rate_after 1m; limit_rate 1;" to stall every reply there).
  explicit NginxServer(const std::filesystem::path& root,
                       const std::optional<TlsFiles>& tls = std::nullopt,
                       std::string directives = {});
  ~NginxServer();
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  // True when an nginx program can be started (installed, and not a Windows build); tests skip
  // when it cannot.
  static bool Available();

  int port() const { return port_; }
  std::string base_url() const;  // "http://127.0.0.1:<port>/", or https with TLS
  // Every request served so far, in the order nginx finished them.
  std::vector<AccessLogLine> AccessLog() const;
  // The access log once it holds at least `lines` lines: nginx writes a line after the reply's
  // last byte went out, so a client may be done before it. Waits at most two seconds.
  std::vector<AccessLogLine> AccessLogOf(size_t lines) const;

 private:
  bool Start(const std::filesystem::path& root);  // one try at a fresh port
  void Stop();

  std::optional<TlsFiles> tls_;
  std::string directives_;
  std::filesystem::path folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace veyra::testing
