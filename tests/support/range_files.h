#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/fault_server.h"

namespace veyra::testing {

// A loopback update server that serves its files as nginx does for resuming: each with an ETag
// and "Accept-Ranges: bytes", and "Range: bytes=N-" answered with a 206 when If-Range names the
// file's ETag (with the whole file otherwise). The replies to one file can be scripted to
// misbehave, one fault per request in arrival order; after the script every reply is sound.
class RangeFiles {
 public:
  enum class Fault {
    kNone,
    kCut,          // the connection drops after `at` bytes of the body
    kIgnoreRange,  // the whole file, as a server without ranges sends it
    kWrongRange,   // a 206 whose Content-Range starts one byte after the asked one
    kRefuse,       // 503
  };
  struct Step {
    Fault fault = Fault::kNone;
    int64_t at = 0;
  };

  RangeFiles();

  void Put(const std::string& name, std::string bytes, std::string etag = "\"1\"");
  void Script(const std::string& name, std::vector<Step> steps);
  // The raw requests for one file, in arrival order.
  std::vector<std::string> RequestsFor(const std::string& name) const;
  // Body bytes sent for one file, over all its replies.
  int64_t BodyBytesSent(const std::string& name) const;
  std::string base_url() const { return server_->base_url(); }

 private:
  struct File {
    std::string bytes;
    std::string etag;
    std::deque<Step> script;
    std::vector<std::string> requests;
    int64_t sent = 0;
  };
  void Answer(FaultConnection& connection, const std::string& request);

  mutable std::mutex mutex_;
  std::map<std::string, File> files_;
  std::unique_ptr<FaultServer> server_;
};

// The value of a request's header (case-insensitive name), or empty when it is absent.
std::string RequestHeader(const std::string& request, const std::string& name);

}  // namespace veyra::testing
