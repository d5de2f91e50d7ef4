#include "updater/http/request_form.h"

#include <algorithm>

namespace veyra {
namespace {

const char kAcceptLine[] = "Accept: text/html, */*";
const char kUserAgentLine[] = "User-Agent: Mozilla/3.0 (compatible; Indy Library)";
const char kUnaskedPart[] = "partial content that was not asked for";
constexpr long kReadBufferSize = 256 * 1024;
// Below this average speed for as long as the stall limit, an attempt fails: a server that drips
// a byte now and then would otherwise hold the request forever.
constexpr long kLowestBytesPerSecond = 1024;

}  // namespace

void SetRequestForm(CURL* easy) {
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_PROXY, "");  // no proxy, whatever the environment says
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReadBufferSize);
}

void SetSchemeForm(CURL* easy, const HttpTarget& target) {
  // Only the target's own protocol: an https line never goes out as plain http.
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, target.scheme.c_str());
  const long version = target.secure() ? CURL_HTTP_VERSION_2TLS : CURL_HTTP_VERSION_1_1;
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, version);
  // A second transfer waits until the first connection is known to multiplex or not, rather
  // than opening one of its own that HTTP/2 would not need.
  curl_easy_setopt(easy, CURLOPT_PIPEWAIT, target.secure() ? 1L : 0L);
}

void ApplyTrust(CURL* easy, const HttpTrust& trust) {
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!trust.ca_bundle_file.empty()) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, trust.ca_bundle_file.c_str());
    // Without this the folder of system certificates would count beside the bundle.
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
  }
#ifdef _WIN32
  // Schannel checks revocation and fails when it cannot: the CAs of a game's own bundle publish
  // no revocation lists. What the system's CAs do publish is still checked.
  curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
#endif
}

curl_slist* RequestHeaders(const std::string& host) {
  curl_slist* headers = nullptr;
  const std::string host_line = "Host: " + host;
  for (const char* line : {host_line.c_str(), kAcceptLine, kUserAgentLine}) {
    headers = curl_slist_append(headers, line);
  }
  return headers;
}

void SetStallLimit(CURL* easy, int idle_ms) {
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, kLowestBytesPerSecond);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, std::max(1L, (idle_ms + 999L) / 1000));
}

void JudgeReply(HttpReply& reply, CURLcode result, const ReplyHead& head,
                const std::string& abort_reason, const char* curl_error, bool resumed) {
  if (reply.status == 0) reply.status = head.status;
  reply.resumed = resumed;
  reply.content_length = resumed ? head.range_total : head.content_length;
  reply.content_type = head.content_type;
  if (!abort_reason.empty()) {
    reply.error = abort_reason;
  } else if (result != CURLE_OK) {
    reply.error = curl_easy_strerror(result);
    if (curl_error[0] != '\0') reply.error += std::string(": ") + curl_error;
  } else if (reply.status < 200 || reply.status > 299) {
    reply.error =
        head.status_line.empty() ? "HTTP status " + std::to_string(reply.status) : head.status_line;
  } else if (reply.status == 206 && !resumed) {
    reply.error = kUnaskedPart;
  } else {
    reply.ok = true;
  }
}

}  // namespace veyra
