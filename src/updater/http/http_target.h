#pragma once

#include <optional>
#include <string>

namespace veyra {

// Where one GET goes.
struct HttpTarget {
  std::string url;     // the URL as handed to the transfer, with unsafe bytes percent-encoded
  std::string host;    // host name as written in the URL, without the port: the Host header
  long port = 80;      // the URL's port, 80 when it names none
  std::string origin;  // "host:port": requests to one origin share a connection
};

// Splits an absolute "http://host[:port]/path" URL. Blanks and control bytes, which cannot
// travel in a request line, are percent-encoded; everything else is kept as written. Returns
// nothing and sets `error` for a URL that is not absolute or not plain http.
std::optional<HttpTarget> ParseHttpTarget(const std::string& url, std::string& error);

}  // namespace veyra
