#include "support/static_files.h"

namespace veyra::testing {

std::string RequestPath(const std::string& request) {
  const size_t start = request.find(' ');
  if (start == std::string::npos) return {};
  const size_t end = request.find(' ', start + 1);
  std::string path = request.substr(start + 1, end - start - 1);
  if (!path.empty() && path[0] == '/') path.erase(0, 1);
  return path;
}

StaticFiles::StaticFiles()
    : server_(std::make_unique<FaultServer>(
          [this](FaultConnection& connection, const std::string& request) {
            Answer(connection, request);
          })) {}

void StaticFiles::Put(const std::string& name, std::string bytes) {
  std::lock_guard lock(mutex_);
  files_[name] = std::move(bytes);
}

void StaticFiles::Remove(const std::string& name) {
  std::lock_guard lock(mutex_);
  files_.erase(name);
}

void StaticFiles::Delay(const std::string& name, int ms) {
  std::lock_guard lock(mutex_);
  delays_[name] = ms;
}

std::vector<std::string> StaticFiles::paths() const {
  std::lock_guard lock(mutex_);
  return paths_;
}

void StaticFiles::Answer(FaultConnection& connection, const std::string& request) {
  std::string reply;
  int delay_ms = 0;
  {
    std::lock_guard lock(mutex_);
    const std::string path = RequestPath(request);
    paths_.push_back(path);
    if (auto delay = delays_.find(path); delay != delays_.end()) delay_ms = delay->second;
    auto it = files_.find(path);
    reply = it == files_.end() ? FaultServer::Reply(404, "not found")
                               : FaultServer::Reply(200, it->second);
  }
  if (delay_ms > 0) connection.Sleep(delay_ms);
  connection.Send(reply);
}

}  // namespace veyra::testing
