#pragma once

#include "updater/http/http_client.h"

namespace veyra {

// Whether a reply to the update list request can be the update list: a captive portal or a
// server's error page sent with status 200 is a web page (Content-Type text/html) and must not be
// compared with the record. A NUL byte is no sign of either: like every list, the update list's
// text ends at its first NUL byte (tools that write lists end them so).
bool IsUpdateListReply(const HttpReply& reply);

}  // namespace veyra
