#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/fault_server.h"

namespace veyra::testing {

// A well-behaved loopback update server on top of FaultServer: it answers GET /<name> with the
// bytes stored under <name> (200 and a Content-Length) and 404 for anything else, keeping the
// connection open. Files may be changed while it runs. It logs the paths asked for.
class StaticFiles {
 public:
  StaticFiles();

  void Put(const std::string& name, std::string bytes);
  void Remove(const std::string& name);
  // Holds the answer to GET /<name> back for `ms` milliseconds (other connections go on).
  void Delay(const std::string& name, int ms);
  std::vector<std::string> paths() const;  // request paths in arrival order, without the '/'
  int port() const { return server_->port(); }
  std::string base_url() const { return server_->base_url(); }
  FaultServer& server() { return *server_; }

 private:
  void Answer(FaultConnection& connection, const std::string& request);

  mutable std::mutex mutex_;
  std::map<std::string, std::string> files_;
  std::map<std::string, int> delays_;
  std::vector<std::string> paths_;
  std::unique_ptr<FaultServer> server_;
};

// The path of an HTTP request line ("GET /a/b HTTP/1.1" gives "a/b").
std::string RequestPath(const std::string& request);

}  // namespace veyra::testing
