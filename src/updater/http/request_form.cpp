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
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_PROXY, "");  // no proxy, whatever the environment says
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReadBufferSize);
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
                const std::string& abort_reason, const char* curl_error) {
  if (reply.status == 0) reply.status = head.status;
  reply.content_length = head.content_length;
  reply.content_type = head.content_type;
  if (!abort_reason.empty()) {
    reply.error = abort_reason;
  } else if (result != CURLE_OK) {
    reply.error = curl_easy_strerror(result);
    if (curl_error[0] != '\0') reply.error += std::string(": ") + curl_error;
  } else if (reply.status < 200 || reply.status > 299) {
    reply.error =
        head.status_line.empty() ? "HTTP status " + std::to_string(reply.status) : head.status_line;
  } else if (reply.status == 206) {
    reply.error = kUnaskedPart;
  } else {
    reply.ok = true;
  }
}

}  // namespace veyra
