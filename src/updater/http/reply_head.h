#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veyra {

// What the client takes from the header lines of one reply. Fed line by line as they arrive;
// a new status line starts a new reply (an interim 1xx reply is followed by the real one).
struct ReplyHead {
  long status = 0;                // 0 until a status line arrived
  std::string status_line;        // "HTTP/1.1 404 Not Found", without the line end
  bool version_1_0 = false;       // the status line names HTTP/1.0
  bool version_2 = false;         // the status line names HTTP/2 ("HTTP/2 200")
  bool connection_close = false;  // a Connection header whose trimmed value is "close", any case
  bool chunked = false;           // a Transfer-Encoding header that contains "chunked"
  int64_t content_length = 0;     // decimal Content-Length, saturated; 0 when absent or not decimal
  std::string content_type;       // the trimmed Content-Type value; empty when absent
  std::string etag;               // the trimmed ETag value as sent; empty when absent
  std::string last_modified;      // the trimmed Last-Modified value; empty when absent
  bool accepts_byte_ranges = false;  // an Accept-Ranges header that names "bytes"
  // A Content-Range "bytes FIRST-LAST/TOTAL"; -1 each when absent or not of that form (a total
  // of "*" included).
  int64_t range_first = -1;
  int64_t range_last = -1;
  int64_t range_total = -1;
  bool complete = false;  // the empty line that ends the header block arrived

  // Takes one header line (the line end may still be attached). Lines after the end of a final
  // (non-1xx) header block are ignored, so trailers of a chunked body change nothing.
  void Feed(std::string_view line);
};

// Value of a Content-Length header: the decimal number it holds, saturated at INT64_MAX, or 0
// when the value (trimmed of blanks) is empty or holds anything but digits.
int64_t ParseContentLength(std::string_view value);

}  // namespace veyra
