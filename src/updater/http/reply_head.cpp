#include "updater/http/reply_head.h"

#include <cstdint>
#include <limits>

#include "platform/ascii_case.h"

namespace veyra {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
  for (size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (EqualsIgnoringAsciiCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

// "HTTP/1.1 200 OK": status 200; anything malformed gives 0.
long ParseStatus(std::string_view line) {
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return 0;
  std::string_view rest = Trim(line.substr(space + 1));
  long status = 0;
  size_t digits = 0;
  while (digits < rest.size() && digits < 3 && rest[digits] >= '0' && rest[digits] <= '9') {
    status = status * 10 + (rest[digits] - '0');
    ++digits;
  }
  // Below 100 is no status at all: read as one, it would never end the head.
  return digits == 3 && status >= 100 ? status : 0;
}

// "bytes FIRST-LAST/TOTAL" into the head's range fields; anything else leaves them at -1.
void ParseContentRange(std::string_view value, ReplyHead& head) {
  constexpr std::string_view kUnit = "bytes ";
  if (value.size() <= kUnit.size() || !EqualsIgnoringAsciiCase(value.substr(0, 6), kUnit)) return;
  value.remove_prefix(kUnit.size());
  const size_t dash = value.find('-');
  const size_t slash = value.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return;
  // ParseContentLength gives 0 for anything not decimal; a lone "0" is told apart by its text.
  const auto number = [](std::string_view text) -> int64_t {
    text = Trim(text);
    const int64_t parsed = ParseContentLength(text);
    return parsed > 0 || text == "0" ? parsed : -1;
  };
  const int64_t first = number(value.substr(0, dash));
  const int64_t last = number(value.substr(dash + 1, slash - dash - 1));
  const int64_t total = number(value.substr(slash + 1));
  if (first < 0 || last < first || total <= last) return;
  head.range_first = first;
  head.range_last = last;
  head.range_total = total;
}

}  // namespace

int64_t ParseContentLength(std::string_view value) {
  value = Trim(value);
  if (value.empty()) return 0;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t result = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return 0;
    const int digit = c - '0';
    result = (result > (kMax - digit) / 10) ? kMax : result * 10 + digit;
  }
  return result;
}

void ReplyHead::Feed(std::string_view line) {
  if (complete) return;
  line = Trim(line);
  if (line.size() >= 5 && EqualsIgnoringAsciiCase(line.substr(0, 5), "HTTP/")) {
    *this = ReplyHead{};
    status_line = std::string(line);
    status = ParseStatus(line);
    version_1_0 = line.size() >= 8 && line.substr(5, 3) == "1.0";
    version_2 = line.size() >= 6 && line[5] == '2';
    return;
  }
  if (line.empty()) {
    // The end of an interim reply's headers: the real reply's status line follows.
    complete = status >= 200 || status == 0;
    return;
  }
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return;
  const std::string_view name = Trim(line.substr(0, colon));
  const std::string_view value = Trim(line.substr(colon + 1));
  if (EqualsIgnoringAsciiCase(name, "Content-Length")) {
    content_length = ParseContentLength(value);
  } else if (EqualsIgnoringAsciiCase(name, "Connection")) {
    connection_close = EqualsIgnoringAsciiCase(value, "close");
  } else if (EqualsIgnoringAsciiCase(name, "Content-Type")) {
    content_type = std::string(value);
  } else if (EqualsIgnoringAsciiCase(name, "Transfer-Encoding")) {
    chunked = ContainsNoCase(value, "chunked");
  } else if (EqualsIgnoringAsciiCase(name, "ETag")) {
    etag = std::string(value);
  } else if (EqualsIgnoringAsciiCase(name, "Last-Modified")) {
    last_modified = std::string(value);
  } else if (EqualsIgnoringAsciiCase(name, "Accept-Ranges")) {
    accepts_byte_ranges = ContainsNoCase(value, "bytes");
  } else if (EqualsIgnoringAsciiCase(name, "Content-Range")) {
    ParseContentRange(value, *this);
  }
}

}  // namespace veyra
