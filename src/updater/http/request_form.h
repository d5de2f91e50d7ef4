#pragma once

#include <curl/curl.h>

#include <string>

#include "updater/http/http_client.h"
#include "updater/http/reply_head.h"

namespace veyra {

// What every request of the updater shares, whichever client sends it: plain HTTP/1.1, no
// proxy, no redirects, paths as written.
void SetRequestForm(CURL* easy);

// The request's header lines, exactly these and in this order. Because each one replaces a
// header curl would generate, curl adds none of its own. The caller frees the list.
curl_slist* RequestHeaders(const std::string& host);

// The stall limit as curl's low-speed check: less than 1 KiB/s for that long fails a transfer.
void SetStallLimit(CURL* easy, int idle_ms);

// Fills in the status and the verdict of a reply whose transfer ended with `result`. A
// non-empty `abort_reason` says why the client itself ended it.
void JudgeReply(HttpReply& reply, CURLcode result, const ReplyHead& head,
                const std::string& abort_reason, const char* curl_error);

}  // namespace veyra
