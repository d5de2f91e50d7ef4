#include "support/nginx_server.h"

#ifdef _WIN32

#include <stdexcept>

// The Windows build runs its programs under Wine, where a Linux nginx cannot be started from a
// test; the tests that need one skip, and the Windows end-to-end run serves its release with
// nginx from outside.
namespace veyra::testing {

NginxServer::NginxServer(const std::filesystem::path&, const std::optional<TlsFiles>&,
                         std::string) {
  throw std::runtime_error("nginx is not started on Windows");
}
NginxServer::~NginxServer() = default;
bool NginxServer::Available() {
  return false;
}
std::string NginxServer::base_url() const {
  return {};
}
std::vector<AccessLogLine> NginxServer::AccessLog() const {
  return {};
}
std::vector<AccessLogLine> NginxServer::AccessLogOf(size_t) const {
  return {};
}

}  // namespace veyra::testing

#else

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace veyra::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kStopLimit = std::chrono::seconds(5);

std::string NginxProgram() {
  for (const char* path : {"/usr/sbin/nginx", "/usr/bin/nginx", "/usr/local/sbin/nginx",
                           "/usr/local/nginx/sbin/nginx"}) {
    if (::access(path, X_OK) == 0) return path;
  }
  return {};
}

// A port that was free a moment ago (the kernel's pick for a socket bound to port 0).
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  return port;
}

bool Answers(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok =
      fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

std::string Config(const std::filesystem::path& folder, const std::filesystem::path& root, int port,
                   const std::optional<TlsFiles>& tls, const std::string& directives) {
  const std::string dir = folder.string();
  std::ostringstream config;
  // As root, nginx would hand requests to "nobody", who cannot read a private temp folder.
  if (::geteuid() == 0) config << "user root root;\n";
  config << "daemon off;\n"
         << "master_process off;\n"
         << "pid " << dir << "/nginx.pid;\n"
         << "error_log " << dir << "/error.log warn;\n"
         << "events { worker_connections 64; }\n"
         << "http {\n"
         << "  log_format requests '$connection $connection_requests $server_protocol $status "
            "$request_uri $body_bytes_sent';\n"
         << "  access_log " << dir << "/access.log requests;\n"
         << "  client_body_temp_path " << dir << "/client_body;\n"
         << "  proxy_temp_path " << dir << "/proxy;\n"
         << "  fastcgi_temp_path " << dir << "/fastcgi;\n"
         << "  uwsgi_temp_path " << dir << "/uwsgi;\n"
         << "  scgi_temp_path " << dir << "/scgi;\n"
         << "  types { text/html html; }\n"
         << "  default_type application/octet-stream;\n"
         << "  sendfile on;\n"
         << "  gzip off;\n"
         << "  keepalive_timeout 60s;\n"
         << "  keepalive_requests 1000000;\n"
         << "  server {\n"
         << "    listen 127.0.0.1:" << port << (tls ? " ssl http2" : "") << ";\n";
  if (tls) {
    config << "    ssl_certificate " << tls->certificate.string() << ";\n"
           << "    ssl_certificate_key " << tls->key.string() << ";\n";
  }
  config << "    root " << std::filesystem::absolute(root).string() << ";\n"
         << "    location / { " << directives << " }\n"
         << "  }\n"
         << "}\n";
  return config.str();
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

bool NginxServer::Available() {
  return !NginxProgram().empty();
}

NginxServer::NginxServer(const std::filesystem::path& root, const std::optional<TlsFiles>& tls,
                         std::string directives)
    : tls_(tls), directives_(std::move(directives)) {
  static std::atomic<int> counter{0};
  folder_ = std::filesystem::temp_directory_path() /
            ("veyra-nginx-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (Start(root)) return;
  }
  const std::string log = ReadFile(folder_ / "error.log") + ReadFile(folder_ / "stderr.log");
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  throw std::runtime_error("nginx did not start: " + log);
}

NginxServer::~NginxServer() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string NginxServer::base_url() const {
  return (tls_ ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(port_) + "/";
}

std::vector<AccessLogLine> NginxServer::AccessLog() const {
  std::vector<AccessLogLine> lines;
  std::istringstream log(ReadFile(folder_ / "access.log"));
  AccessLogLine line;
  while (log >> line.connection >> line.connection_requests >> line.protocol >> line.status >>
         line.uri >> line.body_bytes) {
    lines.push_back(line);
  }
  return lines;
}

std::vector<AccessLogLine> NginxServer::AccessLogOf(size_t lines) const {
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  std::vector<AccessLogLine> log = AccessLog();
  while (log.size() < lines && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    log = AccessLog();
  }
  return log;
}

bool NginxServer::Start(const std::filesystem::path& root) {
  port_ = FreePort();
  if (port_ == 0) return false;
  const std::filesystem::path config = folder_ / "nginx.conf";
  std::ofstream(config) << Config(folder_, root, port_, tls_, directives_);

  const std::string program = NginxProgram();
  const std::string prefix = folder_.string() + "/";
  const std::string error_log = (folder_ / "error.log").string();
  const std::string config_path = config.string();
  const std::string stderr_path = (folder_ / "stderr.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, stderr_path.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv = {const_cast<char*>(program.c_str()),     const_cast<char*>("-p"),
                             const_cast<char*>(prefix.c_str()),      const_cast<char*>("-e"),
                             const_cast<char*>(error_log.c_str()),   const_cast<char*>("-c"),
                             const_cast<char*>(config_path.c_str()), nullptr};
  const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    return false;
  }
  const auto deadline = Clock::now() + kStartLimit;
  while (Clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // exited: the port was taken, or worse
      pid_ = -1;
      return false;
    }
    if (Answers(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop();
  return false;
}

void NginxServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  const auto deadline = Clock::now() + kStopLimit;
  int status = 0;
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
}

}  // namespace veyra::testing

#endif
