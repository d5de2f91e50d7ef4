#include "updater/http/http_target.h"

#include <curl/curl.h>

#include <memory>

namespace veyra {
namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// `keep` is asked with the byte and the text that follows it.
template <typename KeepByte>
std::string PercentEncode(std::string_view text, KeepByte keep) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (keep(c, text.substr(at + 1))) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0x0F];
    }
  }
  return encoded;
}

std::string EncodeUnsafeBytes(const std::string& url) {
  return PercentEncode(url,
                       [](unsigned char c, std::string_view) { return c > 0x20 && c != 0x7F; });
}

// A byte that may stand as itself in a path segment (RFC 3986 pchar), a folder separator '/', or
// '\', which the game's names may hold and which is sent as written. A '%' that starts an escape
// stays one: lists written for servers hold names such as "pack/%23pack1.adf", which servers
// have always received as written.
bool StandsInPath(unsigned char c, std::string_view rest) {
  if (c == '%') return rest.size() >= 2 && IsHexDigit(rest[0]) && IsHexDigit(rest[1]);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~!$&'()*+,;=:@/\\").find(static_cast<char>(c)) !=
         std::string_view::npos;
}

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// One part of a parsed URL, or nothing when the URL lacks it.
std::optional<std::string> Part(CURLU* url, CURLUPart part, unsigned flags) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr) return std::nullopt;
  std::string result(text);
  curl_free(text);
  return result;
}

}  // namespace

std::optional<HttpTarget> ParseHttpTarget(const std::string& url, std::string& error) {
  HttpTarget target;
  target.url = EncodeUnsafeBytes(url);
  std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, target.url.c_str(), 0) != CURLUE_OK) {
    error = "invalid URL: " + url;
    return std::nullopt;
  }
  const auto scheme = Part(parsed.get(), CURLUPART_SCHEME, 0);
  const auto host = Part(parsed.get(), CURLUPART_HOST, 0);
  const auto port = Part(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  const bool known_scheme = scheme && (*scheme == "http" || *scheme == "https");
  if (!known_scheme || !host || host->empty() || !port) {
    error = "not an http or https URL: " + url;
    return std::nullopt;
  }
  target.scheme = *scheme;
  target.host = *host;
  target.port = std::stol(*port);
  target.origin = *scheme + "://" + *host + ":" + *port;
  return target;
}

std::string RequestUrl(std::string_view base_url, std::string_view remote_name) {
  return std::string(base_url) + PercentEncode(remote_name, StandsInPath);
}

}  // namespace veyra
