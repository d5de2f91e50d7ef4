#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veyra {

// Where one GET goes.
struct HttpTarget {
  std::string url;     // the URL as handed to the transfer, with unsafe bytes percent-encoded
  std::string scheme;  // "http" or "https", as curl names the protocol
  std::string host;    // host name as written in the URL, without the port: the Host header
  long port = 80;      // the URL's port; 80 for http and 443 for https when it names none
  // "scheme://host:port": requests to one origin share a connection, and an http and an https
  // request never do, even to the same host and port.
  std::string origin;

  bool secure() const { return scheme == "https"; }
};

// Splits an absolute "http://host[:port]/path" or "https://host[:port]/path" URL. Blanks and
// control bytes, which cannot travel in a request line, are percent-encoded; everything else is
// kept as written. Returns nothing and sets `error` for a URL that is not absolute or of another
// scheme.
std::optional<HttpTarget> ParseHttpTarget(const std::string& url, std::string& error);

// The URL of a file on the server: the base address followed directly by the file's name, in
// which every byte that cannot stand in a request path ('#', '?', a '%' that starts no escape,
// blanks, controls, bytes above 0x7F, ...) is percent-encoded, so that the server receives the
// name byte for byte. Folder separators '/' and escapes already written ("%23") stay, and '\' is
// sent as written too.
std::string RequestUrl(std::string_view base_url, std::string_view remote_name);

}  // namespace veyra
