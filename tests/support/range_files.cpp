#include "support/range_files.h"

#include <algorithm>
#include <cctype>

#include "support/static_files.h"

namespace veyra::testing {

std::string RequestHeader(const std::string& request, const std::string& name) {
  std::string lower = request;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string key = "\r\n" + name + ":";
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const size_t at = lower.find(key);
  if (at == std::string::npos) return {};
  size_t start = at + key.size();
  while (start < request.size() && request[start] == ' ') ++start;
  return request.substr(start, request.find("\r\n", start) - start);
}

RangeFiles::RangeFiles()
    : server_(std::make_unique<FaultServer>(
          [this](FaultConnection& connection, const std::string& request) {
            Answer(connection, request);
          })) {}

void RangeFiles::Put(const std::string& name, std::string bytes, std::string etag) {
  std::lock_guard lock(mutex_);
  files_[name].bytes = std::move(bytes);
  files_[name].etag = std::move(etag);
}

void RangeFiles::Script(const std::string& name, std::vector<Step> steps) {
  std::lock_guard lock(mutex_);
  files_[name].script.assign(steps.begin(), steps.end());
}

std::vector<std::string> RangeFiles::RequestsFor(const std::string& name) const {
  std::lock_guard lock(mutex_);
  const auto it = files_.find(name);
  return it == files_.end() ? std::vector<std::string>{} : it->second.requests;
}

int64_t RangeFiles::BodyBytesSent(const std::string& name) const {
  std::lock_guard lock(mutex_);
  const auto it = files_.find(name);
  return it == files_.end() ? 0 : it->second.sent;
}

void RangeFiles::Answer(FaultConnection& connection, const std::string& request) {
  std::string head;
  std::string body;
  int64_t cut = -1;
  {
    std::lock_guard lock(mutex_);
    const auto it = files_.find(RequestPath(request));
    if (it == files_.end()) {
      connection.Send(FaultServer::Reply(404, "not found"));
      return;
    }
    File& file = it->second;
    file.requests.push_back(request);
    Step step;
    if (!file.script.empty()) {
      step = file.script.front();
      file.script.pop_front();
    }
    if (step.fault == Fault::kRefuse) {
      connection.Send(FaultServer::Reply(503, "busy"));
      return;
    }
    const auto size = static_cast<int64_t>(file.bytes.size());
    const std::string range = RequestHeader(request, "Range");
    int64_t from = 0;
    if (range.starts_with("bytes=") && RequestHeader(request, "If-Range") == file.etag &&
        step.fault != Fault::kIgnoreRange) {
      from = std::stoll(range.substr(6));
    }
    std::vector<std::string> headers{"ETag: " + file.etag, "Accept-Ranges: bytes"};
    if (from > 0 && from < size) {
      if (step.fault == Fault::kWrongRange) ++from;
      headers.push_back("Content-Range: bytes " + std::to_string(from) + "-" +
                        std::to_string(size - 1) + "/" + std::to_string(size));
      body = file.bytes.substr(static_cast<size_t>(from));
      headers.push_back("Content-Length: " + std::to_string(body.size()));
      head = FaultServer::Head(206, headers);
    } else {
      body = file.bytes;
      headers.push_back("Content-Length: " + std::to_string(body.size()));
      head = FaultServer::Head(200, headers);
    }
    if (step.fault == Fault::kCut) {
      cut = step.at;
      body.resize(static_cast<size_t>(std::min<int64_t>(cut, static_cast<int64_t>(body.size()))));
    }
    file.sent += static_cast<int64_t>(body.size());
  }
  connection.Send(head + body);
  if (cut >= 0) connection.Close();
}

}  // namespace veyra::testing
