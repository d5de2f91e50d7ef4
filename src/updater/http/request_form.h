#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>

#include "updater/http/http_client.h"
#include "updater/http/http_target.h"
#include "updater/http/reply_head.h"

namespace veyra {

// What every request of the updater shares, whichever client sends it: no proxy, no redirects,
// paths as written.
void SetRequestForm(CURL* easy);

// What follows from the target's scheme: http goes as HTTP/1.1 only; https offers HTTP/2 by
// ALPN and takes HTTP/1.1 when the server offers nothing else. Each allows its own scheme only.
void SetSchemeForm(CURL* easy, const HttpTarget& target);

// Certificates and host names are always verified, against `trust`. Meant for a fresh handle:
// a handle once given a bundle does not return to the system's store.
void ApplyTrust(CURL* easy, const HttpTrust& trust);

// The request's header lines, exactly these and in this order. Because each one replaces a
// header curl would generate, curl adds none of its own. The caller frees the list.
curl_slist* RequestHeaders(const std::string& host);

// The stall limit as curl's low-speed check: less than 1 KiB/s for that long fails a transfer.
void SetStallLimit(CURL* easy, int idle_ms);

// True when a caller's body limit (negative: none) does not allow `bytes`.
inline bool BeyondBodyLimit(int64_t bytes, int64_t most_body_bytes) {
  return most_body_bytes >= 0 && bytes > most_body_bytes;
}

// Fills in the status and the verdict of a reply whose transfer ended with `result`. A
// non-empty `abort_reason` says why the client itself ended it. `resumed`: the reply is a 206
// that continued kept bytes (see BodyResume), the only 206 that is ok.
void JudgeReply(HttpReply& reply, CURLcode result, const ReplyHead& head,
                const std::string& abort_reason, const char* curl_error, bool resumed = false);

// Why a 206 that does not continue the kept bytes failed its attempt.
inline constexpr char kPartDoesNotFit[] = "partial content that does not continue the kept bytes";

}  // namespace veyra
