#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace veyra::testing {

// A real nginx serving the static files of `root` on 127.0.0.1, for tests that need a
// well-behaved HTTP/1.1 server with keep-alive. Its configuration, logs and temporary files
// live in a fresh folder that is removed afterwards; the process runs in the foreground as a
// child and is stopped (and waited for) by the destructor.
class NginxServer {
 public:
  // Starts nginx and waits (bounded) until it answers. Throws std::runtime_error when it does
  // not come up; the message carries nginx's error log.
  explicit NginxServer(const std::filesystem::path& root);
  ~NginxServer();
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  // True when an nginx program can be started (installed, and not a Windows build); tests skip
  // when it cannot.
  static bool Available();

  int port() const { return port_; }
  std::string base_url() const;  // "http://127.0.0.1:<port>/"

 private:
  bool Start(const std::filesystem::path& root);  // one try at a fresh port
  void Stop();

  std::filesystem::path folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace veyra::testing
