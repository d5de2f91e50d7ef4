#include "updater/http/body_resume.h"

#include "updater/http/request_form.h"

namespace veyra {

std::string ResumeValidator(const ReplyHead& head) {
  if (!head.accepts_byte_ranges) return {};
  // A weak ETag may not stand in If-Range: it does not promise the same bytes.
  if (!head.etag.empty() && !head.etag.starts_with("W/")) return head.etag;
  return head.last_modified;
}

bool RangeContinues(const ReplyHead& head, int64_t kept_bytes, int64_t total) {
  return head.status == 206 && !head.chunked && head.range_first == kept_bytes &&
         head.range_last == total - 1 && head.range_total == total &&
         head.content_length == total - kept_bytes;
}

curl_slist* ResumeRequestHeaders(const std::string& host, int64_t from,
                                 const std::string& validator) {
  curl_slist* headers = RequestHeaders(host);
  headers = curl_slist_append(headers, ("Range: bytes=" + std::to_string(from) + "-").c_str());
  return curl_slist_append(headers, ("If-Range: " + validator).c_str());
}

bool SettleResume(const ReplyHead& head, int64_t asked_from, std::string& body, BodyResume* resume,
                  bool& resumed) {
  const int64_t total = resume != nullptr ? resume->total : 0;
  resumed = asked_from > 0 && RangeContinues(head, asked_from, total);
  // An error says nothing of the file: the kept bytes wait, beside the error's body, for the
  // next attempt. A 200 replaces them; a 206 that does not continue them throws them away.
  const bool error = head.status != 200 && head.status != 206;
  if (error && asked_from > 0 && resume != nullptr) resume->kept = std::move(body);
  if (!resumed) body.clear();
  if (resume != nullptr && !(error && asked_from > 0)) {
    if (!resumed) {
      resume->validator = head.status == 200 ? ResumeValidator(head) : std::string();
      resume->total = head.chunked ? 0 : head.content_length;
    }
    resume->continued_from = resumed ? asked_from : 0;
  }
  return resumed || head.status != 206 || asked_from == 0;
}

bool KeepForResume(std::string& body, BodyResume& resume) {
  if (!resume.kept.empty()) return true;  // an error reply left them untouched
  const auto size = static_cast<int64_t>(body.size());
  if (resume.validator.empty() || size == 0 || size >= resume.total) {
    resume = BodyResume{};
    return false;
  }
  resume.kept = std::move(body);
  return true;
}

}  // namespace veyra
