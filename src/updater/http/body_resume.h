#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>

#include "updater/http/reply_head.h"

namespace veyra {

// A download that may go on where an earlier attempt stopped. The caller hands over the first
// bytes of the file it holds (`kept`) with the validator and length that the reply delivering
// them gave; the request then asks only for the rest (Range, with If-Range carrying the
// validator). While the reply arrives, the request keeps the fields true for the body it is
// building, so that a body observer can read them:
// - a 206 whose Content-Range continues the kept bytes: the body is the kept bytes followed by
//   the new ones (continued_from = kept length), validator and total stay;
// - a 200: the file changed or the server ignored the range; the body starts afresh
//   (continued_from = 0) and validator and total are the new reply's;
// - a 206 that does not continue them: the kept bytes are dropped, nothing is resumable;
// - any other status: the kept bytes go back into `kept`, untouched, for a later attempt.
// With nothing kept, the request is the plain one, and only the out-fields are filled.
struct BodyResume {
  std::string kept;       // in: moved into the reply's body when the request starts
  std::string validator;  // strong ETag, else Last-Modified; empty: not resumable
  int64_t total = 0;      // the whole file's length
  // out: where this reply's own bytes start in the body (the kept length until a head arrives)
  int64_t continued_from = 0;

  bool CanResume() const { return !kept.empty() && !validator.empty(); }
};

// The validator a reply offers for If-Range: its strong ETag, else its Last-Modified. Empty when
// the server did not say that it serves byte ranges (Accept-Ranges: bytes): such a server is
// never asked for one.
std::string ResumeValidator(const ReplyHead& head);

// Whether a 206 reply continues `kept_bytes` of a file of `total` bytes to its end.
bool RangeContinues(const ReplyHead& head, int64_t kept_bytes, int64_t total);

// The request headers of a download that goes on from `from` bytes: the fixed ones, then Range
// and If-Range. The caller frees the list.
curl_slist* ResumeRequestHeaders(const std::string& host, int64_t from,
                                 const std::string& validator);

// Settles, once a reply's head is complete, what the body being built is. `body` holds the
// `asked_from` kept bytes the request asked to continue (0: a plain request); it keeps them
// only for a 206 that continues them (`resumed`), and is emptied for any other reply. Fills the
// out-fields of `resume` when given. False for a 206 that does not continue them: the attempt
// fails (kPartDoesNotFit).
bool SettleResume(const ReplyHead& head, int64_t asked_from, std::string& body, BodyResume* resume,
                  bool& resumed);

// Keeps what a failed attempt delivered, for the next attempt to go on from: true when `resume`
// still holds its kept bytes, or when `body` is a non-empty, incomplete prefix of a file with a
// validator (then moved into `resume.kept`); otherwise `resume` is emptied.
bool KeepForResume(std::string& body, BodyResume& resume);

}  // namespace veyra
