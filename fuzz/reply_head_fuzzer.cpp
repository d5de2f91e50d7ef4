// The HTTP reply head parser on header lines of any content, fed as the transfer delivers them.
// Properties: the same head whether line ends arrive attached or not; nothing changes once the
// final header block has ended; the values stay in their ranges (a Content-Range within its
// file); a Content-Length is read as a plain reading of its decimal digits.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "updater/http/reply_head.h"

namespace {

bool SameHead(const veyra::ReplyHead& a, const veyra::ReplyHead& b) {
  return a.status == b.status && a.status_line == b.status_line && a.version_1_0 == b.version_1_0 &&
         a.connection_close == b.connection_close && a.chunked == b.chunked &&
         a.content_length == b.content_length && a.complete == b.complete && a.etag == b.etag &&
         a.accepts_byte_ranges == b.accepts_byte_ranges && a.range_first == b.range_first &&
         a.range_last == b.range_last && a.range_total == b.range_total;
}

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// Digits only between optional blanks, saturated at INT64_MAX; anything else reads as 0.
int64_t ReferenceContentLength(std::string_view value) {
  const size_t first = value.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return 0;
  value = value.substr(first, value.find_last_not_of(" \t\r\n") - first + 1);
  unsigned __int128 number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + static_cast<unsigned>(c - '0');
    if (number > std::numeric_limits<int64_t>::max()) number = std::numeric_limits<int64_t>::max();
  }
  return static_cast<int64_t>(number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Lines as the transfer hands them over: each with its LF attached.
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }

  veyra::ReplyHead attached;
  veyra::ReplyHead stripped;
  for (std::string_view line : lines) {
    const veyra::ReplyHead before = attached;
    attached.Feed(line);
    stripped.Feed(WithoutLineEnd(line));
    FUZZ_CHECK(SameHead(attached, stripped), "line ends change nothing");
    if (before.complete) FUZZ_CHECK(SameHead(attached, before), "a complete head stays as it is");
    FUZZ_CHECK(attached.status >= 0 && attached.status <= 999, "a status has three digits");
    FUZZ_CHECK(attached.content_length >= 0, "a length is never negative");
    const bool no_range =
        attached.range_first == -1 && attached.range_last == -1 && attached.range_total == -1;
    FUZZ_CHECK(
        no_range || (0 <= attached.range_first && attached.range_first <= attached.range_last &&
                     attached.range_last < attached.range_total),
        "a Content-Range lies within its file, or there is none");
    FUZZ_CHECK(attached.status_line.empty() || attached.status_line.size() >= 5,
               "a status line starts with HTTP/");
  }
  FUZZ_CHECK(veyra::ParseContentLength(text) == ReferenceContentLength(text),
             "a Content-Length value is its decimal digits, saturated");
  return 0;
}
