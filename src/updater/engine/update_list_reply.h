#pragma once

#include "updater/http/http_client.h"

namespace veyra {

// Whether a reply to the update list request can be the update list: a captive portal or a
// server's error page sent with status 200 is a web page (Content-Type text/html) or binary
// data (a NUL byte, which would cut the list short), and must not be compared with the record.
bool IsUpdateListReply(const HttpReply& reply);

}  // namespace veyra
