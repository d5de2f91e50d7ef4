#include "support/fault_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "support/test_sockets.h"

namespace veyra::testing {
namespace {

constexpr int kTickMs = 20;  // how often blocked server threads look at the stop flag

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

// Waits until `fd` is readable, the stop flag is raised, or `ms` passed (negative: no limit
// other than the stop flag). True when readable.
bool WaitReadable(int fd, const std::atomic<bool>& stopping, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stopping.load()) {
    if (WaitSocketReadable(fd, kTickMs)) return true;
    if (ms >= 0 && std::chrono::steady_clock::now() >= deadline) return false;
  }
  return false;
}

}  // namespace

FaultConnection::FaultConnection(int fd, int index, const std::atomic<bool>& stopping)
    : fd_(fd), index_(index), stopping_(stopping) {}

FaultConnection::~FaultConnection() {
  Close();
}

void FaultConnection::Send(std::string_view bytes) {
  while (fd_ >= 0 && !bytes.empty() && !stopping_.load()) {
    const long sent = SendSome(fd_, bytes.data(), bytes.size());
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
}

void FaultConnection::SendSlowly(std::string_view bytes, size_t piece, int pause_ms) {
  piece = std::max<size_t>(piece, 1);
  while (!bytes.empty() && fd_ >= 0 && !stopping_.load()) {
    const size_t now = std::min(piece, bytes.size());
    Send(bytes.substr(0, now));
    bytes.remove_prefix(now);
    Sleep(pause_ms);
  }
}

void FaultConnection::Sleep(int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stopping_.load() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, kTickMs)));
  }
}

void FaultConnection::Close() {
  if (fd_ < 0) return;
  CloseTestSocket(fd_);
  fd_ = -1;
}

bool FaultConnection::WaitForPeerClose(int ms) {
  if (fd_ < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline) {
    if (!WaitReadable(fd_, stopping_, kTickMs)) continue;
    char byte;
    if (ReceiveSome(fd_, &byte, 1, true) <= 0) return true;
    return false;  // the client sent more instead
  }
  return false;
}

FaultServer::FaultServer(Handler handler) : handler_(std::move(handler)) {
  listen_fd_ = ListenOnLoopback(port_);
  if (listen_fd_ < 0) throw std::runtime_error("FaultServer: cannot listen on 127.0.0.1");
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

FaultServer::~FaultServer() {
  stopping_ = true;
  acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
  }
  for (std::thread& worker : workers) worker.join();
  CloseTestSocket(listen_fd_);
}

std::string FaultServer::base_url() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

std::vector<std::string> FaultServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void FaultServer::AcceptLoop() {
  while (WaitReadable(listen_fd_, stopping_, -1)) {
    const int fd = AcceptConnection(listen_fd_);
    if (fd < 0) continue;
    const int index = connections_++;
    std::lock_guard<std::mutex> lock(mutex_);
    workers_.emplace_back([this, fd, index] { Serve(fd, index); });
  }
}

void FaultServer::Serve(int fd, int index) {
  FaultConnection connection(fd, index, stopping_);
  // Counted from accept until the server closes its end (before the client can see that).
  const int open = ++open_;
  for (int peak = peak_open_.load();
       open > peak && !peak_open_.compare_exchange_weak(peak, open);) {
  }
  struct Closed {
    std::atomic<int>& open;
    ~Closed() { --open; }
  } closed{open_};
  std::string pending;
  char buffer[4096];
  while (!connection.closed()) {
    const size_t end = pending.find("\r\n\r\n");
    if (end != std::string::npos) {
      std::string request = pending.substr(0, end + 4);
      pending.erase(0, end + 4);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      handler_(connection, request);
      continue;
    }
    if (!WaitReadable(connection.fd(), stopping_, -1)) return;
    const long got = ReceiveSome(connection.fd(), buffer, sizeof(buffer));
    if (got <= 0) {  // the client closed its end
      std::this_thread::sleep_for(std::chrono::milliseconds(close_notice_delay_ms_.load()));
      return;
    }
    pending.append(buffer, static_cast<size_t>(got));
  }
}

std::string FaultServer::Reply(int status, std::string_view body,
                               const std::vector<std::string>& headers) {
  std::vector<std::string> all = {"Content-Length: " + std::to_string(body.size())};
  all.insert(all.end(), headers.begin(), headers.end());
  return Head(status, all) + std::string(body);
}

std::string FaultServer::Head(int status, const std::vector<std::string>& headers,
                              std::string_view version) {
  std::string head =
      std::string(version) + " " + std::to_string(status) + " " + Reason(status) + "\r\n";
  for (const std::string& line : headers) head += line + "\r\n";
  return head + "\r\n";
}

std::string FaultServer::Chunked(const std::vector<std::string>& pieces) {
  std::string body;
  char size[32];
  for (const std::string& piece : pieces) {
    std::snprintf(size, sizeof(size), "%zx\r\n", piece.size());
    body += size + piece + "\r\n";
  }
  return body + "0\r\n\r\n";
}

}  // namespace veyra::testing
