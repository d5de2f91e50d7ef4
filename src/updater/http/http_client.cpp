#include "updater/http/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/pump.h"
#include "platform/sockets.h"
#include "updater/http/http_target.h"
#include "updater/http/reply_head.h"
#include "updater/http/request_form.h"
#include "updater/http/socket_list.h"

namespace veyra {
namespace {

using Clock = std::chrono::steady_clock;

// The body is collected in memory; the download buffers downstream hold 32-bit sizes.
constexpr int64_t kMaxBody = INT32_MAX;
// A Content-Length is only a claim: reserve at most this much up front, grow beyond it.
constexpr int64_t kReserveCap = int64_t{64} << 20;
// curl_multi_poll wakes at least this often, so the pump below runs well within 50 ms.
constexpr int kPollMs = 20;
// Running the pump costs a full pass of the GUI event loop; under a busy transfer, whose polls
// return at once, it is enough to run it this often.
constexpr auto kPumpEvery = std::chrono::milliseconds(10);
// A body observer sees the body again once this much more has arrived.
constexpr size_t kObserveEvery = 256 * 1024;
// How long a closed connection waits for the server to close its side; a server on the far side
// of the world answers well within it.
constexpr int kPeerCloseWaitMs = 1000;

const char kAlreadyRunning[] = "request already running";
const char kTooLarge[] = "reply too large";
const char kIdleTimeout[] = "read timed out";

void InitCurlOnce() {
  static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
  (void)init;
}

}  // namespace

// Connection events come from curl's socket callbacks, so they are exact:
// - a socket enters `opening_` when curl creates it; a socket that never connects (refused,
//   timed out, or the loser of a dual-stack race) leaves it again without any event;
// - the pre-request callback runs once a connection is usable, right before the request goes
//   out. Sockets still in `opening_` at that point have completed their TCP connect, so they
//   move to `open_` and `connected` is raised. A reused connection has no socket in
//   `opening_` and raises nothing;
// - a socket in `open_` that curl closes raises `disconnected`.
//
// Body events: curl decodes chunked bodies and hands over every body byte, including those that
// arrived together with the headers. The client therefore gives exactly one begin-work-end
// cycle per reply (after its final header block, also for error replies and empty bodies),
// counts every body byte, and announces 0 as the expected size of a chunked body, whose total
// size is unknown when it starts. When a connection closes while a body cycle is open (the
// reply said "close", the server dropped it, the transfer was aborted), `disconnected` is held
// back until `work_end` has been raised, so the order stays begin, work, end, disconnected.
class HttpClient::Impl {
 public:
  Impl(HttpEvents events, HttpTimeouts timeouts) : events_(std::move(events)), timeouts_(timeouts) {
    InitCurlOnce();
    multi_ = NewMulti();
    easy_ = curl_easy_init();
    ConfigureEasy();
  }

  ~Impl() {
    active_events_ = nullptr;
    curl_multi_cleanup(multi_);  // closes the kept connection through CloseSocket
    curl_easy_cleanup(easy_);
    curl_slist_free_all(headers_);
    curl_slist_free_all(resume_headers_);
  }

  void SetEvents(HttpEvents events) { events_ = std::move(events); }

  void CloseConnection() {
    if (running_) return;
    // Gone for the server too before the caller opens others, which may be all it allows.
    closing_after_peer_ = true;
    curl_multi_cleanup(multi_);  // raises disconnected for a connection that is open
    closing_after_peer_ = false;
    multi_ = NewMulti();
    origin_.clear();
  }

  void SetTimeouts(HttpTimeouts timeouts) { timeouts_ = timeouts; }
  void SetTrust(HttpTrust trust) { trust_ = std::move(trust); }

  HttpReply Get(const std::string& url, const HttpClient::BodyObserver& on_body,
                int64_t most_body_bytes, BodyResume* resume) {
    HttpReply reply;
    if (running_) {
      reply.error = kAlreadyRunning;
      return reply;
    }
    std::string error;
    const std::optional<HttpTarget> target = ParseHttpTarget(url, error);
    if (!target) {
      reply.error = error;
      return reply;
    }
    const HttpEvents events = events_;  // handlers may call SetEvents while they run
    StartTransfer(events, most_body_bytes, resume);
    CURLcode result = CURLE_OK;
    bool added = false;
    try {
      Prepare(*target);
      if (!failure_) {
        added = curl_multi_add_handle(multi_, easy_) == CURLM_OK;
        if (!added) throw std::runtime_error("cannot start the transfer");
        result = Drive(on_body);
      }
    } catch (...) {
      Fail(std::current_exception());
    }
    if (added) curl_multi_remove_handle(multi_, easy_);  // aborts an unfinished transfer
    EndBody();
    curl_slist_free_all(std::exchange(resume_headers_, nullptr));
    running_ = false;
    active_events_ = nullptr;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return MakeReply(result);
  }

 private:
  static CURLM* NewMulti() {
    CURLM* multi = curl_multi_init();
    // One connection at a time: the updater only ever talks to one server.
    curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, 1L);
    return multi;
  }

  void ConfigureEasy() {
    SetRequestForm(easy_);
    ApplyTrust(easy_, applied_trust_);
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, error_buffer_);
    curl_easy_setopt(easy_, CURLOPT_OPENSOCKETFUNCTION, &Impl::OpenSocket);
    curl_easy_setopt(easy_, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETFUNCTION, &Impl::CloseSocket);
    curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &Impl::BeforeRequest);
    curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  }

  void StartTransfer(const HttpEvents& events, int64_t most_body_bytes, BodyResume* resume) {
    running_ = true;
    active_events_ = &events;
    idle_ms_ = timeouts_.idle_ms;
    most_body_bytes_ = most_body_bytes;
    head_ = ReplyHead{};
    body_.clear();
    resume_ = resume;
    resumed_ = false;
    asked_from_ = 0;
    if (resume != nullptr && resume->CanResume()) {
      body_ = std::move(resume->kept);
      resume->kept.clear();
      asked_from_ = static_cast<int64_t>(body_.size());
    }
    if (resume != nullptr) resume->continued_from = asked_from_;  // until a head says otherwise
    body_open_ = false;
    held_disconnects_ = 0;
    abort_reason_.clear();
    request_sent_ = false;
    error_buffer_[0] = '\0';
  }

  // Points the handle at the target. Connections to another origin, or made under another
  // trust, are closed first.
  void Prepare(const HttpTarget& target) {
    if (trust_.ca_bundle_file != applied_trust_.ca_bundle_file) {
      // A handle keeps a bundle once given one, so the system's store needs a fresh one.
      applied_trust_ = trust_;
      curl_easy_cleanup(easy_);
      easy_ = curl_easy_init();
      ConfigureEasy();
      origin_.clear();
    }
    if (target.origin != origin_) {
      curl_multi_cleanup(multi_);  // raises disconnected for a connection that is open
      multi_ = NewMulti();
      origin_ = target.origin;
    }
    if (target.host != header_host_) {
      curl_slist_free_all(headers_);
      headers_ = RequestHeaders(target.host);
      header_host_ = target.host;
    }
    if (asked_from_ > 0) {
      resume_headers_ = ResumeRequestHeaders(target.host, asked_from_, resume_->validator);
    }
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, asked_from_ > 0 ? resume_headers_ : headers_);
    curl_easy_setopt(easy_, CURLOPT_URL, target.url.c_str());
    SetSchemeForm(easy_, target);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect_ms));
    SetStallLimit(easy_, idle_ms_);
    curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, 0L);
  }

  // Runs the transfer to its end, pumping messages while it waits.
  CURLcode Drive(const HttpClient::BodyObserver& on_body) {
    Clock::time_point last_pump = Clock::now() - kPumpEvery;
    size_t observed = 0;
    for (;;) {
      int still_running = 0;
      const CURLMcode code = curl_multi_perform(multi_, &still_running);
      if (code != CURLM_OK) throw std::runtime_error(curl_multi_strerror(code));
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE) return message->data.result;
      }
      if (failure_ || !abort_reason_.empty()) return CURLE_ABORTED_BY_CALLBACK;
      // Kept bytes are the body only once the reply's head has said so.
      if (on_body && body_open_ && body_.size() >= observed + kObserveEvery) {
        observed = body_.size();
        on_body(body_);  // an exception ends the transfer like any handler's
      }
      const Clock::time_point now = Clock::now();
      if (request_sent_ && now - last_byte_ >= std::chrono::milliseconds(idle_ms_)) {
        abort_reason_ = kIdleTimeout;
        return CURLE_OPERATION_TIMEDOUT;
      }
      if (now - last_pump >= kPumpEvery) {
        PumpMessages();
        last_pump = Clock::now();
        if (failure_) return CURLE_ABORTED_BY_CALLBACK;
      }
      curl_multi_poll(multi_, nullptr, 0, kPollMs, nullptr);
    }
  }

  HttpReply MakeReply(CURLcode result) {
    HttpReply reply;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &reply.status);
    reply.body = std::move(body_);
    JudgeReply(reply, result, head_, abort_reason_, error_buffer_, resumed_);
    return reply;
  }

  // ---- events ----

  // Raises one event. A handler's exception fails the running request (the first one is kept
  // and rethrown by Get); outside a request, in the destructor, it is dropped.
  template <typename Handler, typename... Args>
  void Raise(Handler HttpEvents::*handler, Args... args) {
    const HttpEvents& events = active_events_ ? *active_events_ : events_;
    if (!(events.*handler)) return;
    try {
      (events.*handler)(args...);
    } catch (...) {
      Fail(std::current_exception());
    }
  }

  void Fail(std::exception_ptr error) {
    if (running_ && !failure_) failure_ = std::move(error);
  }

  void BeginBody() {
    body_open_ = true;
    const int64_t expected = ExpectedLength();
    body_.reserve(static_cast<size_t>(std::min(expected, kReserveCap)));
    Raise(&HttpEvents::work_begin, expected);
  }

  // The body's announced length: the whole file's for a resumed download, 0 for a chunked one.
  int64_t ExpectedLength() const {
    if (resumed_) return head_.range_total;
    return head_.chunked ? 0 : head_.content_length;
  }

  void EndBody() {
    if (body_open_) {
      body_open_ = false;
      Raise(&HttpEvents::work_end);
    }
    for (; held_disconnects_ > 0; --held_disconnects_) Raise(&HttpEvents::disconnected);
  }

  // ---- curl callbacks; none of them lets an exception pass ----

  static curl_socket_t OpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
    auto* impl = static_cast<Impl*>(self);
    const SocketHandle opened =
        veyra::OpenSocket(address->family, address->socktype, address->protocol);
    if (opened == kNoSocket) return CURL_SOCKET_BAD;
    const auto fd = static_cast<curl_socket_t>(opened);
    impl->opening_.push_back(fd);
    return fd;
  }

  static int CloseSocket(void* self, curl_socket_t fd) {
    auto* impl = static_cast<Impl*>(self);
    RemoveSocket(impl->opening_, fd);
    if (RemoveSocket(impl->open_, fd)) {
      if (impl->body_open_) {
        ++impl->held_disconnects_;
      } else {
        impl->Raise(&HttpEvents::disconnected);
      }
    }
    if (impl->closing_after_peer_) {
      return CloseSocketAfterPeer(static_cast<SocketHandle>(fd), kPeerCloseWaitMs);
    }
    return veyra::CloseSocket(static_cast<SocketHandle>(fd));
  }

  static int BeforeRequest(void* self, char*, char*, int, int) {
    auto* impl = static_cast<Impl*>(self);
    impl->request_sent_ = true;
    impl->last_byte_ = Clock::now();
    if (!impl->opening_.empty()) {
      for (curl_socket_t fd : impl->opening_) {
        if (!ContainsSocket(impl->open_, fd)) impl->open_.push_back(fd);
      }
      impl->opening_.clear();
      impl->Raise(&HttpEvents::connected);
    }
    return impl->failure_ ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
  }

  static size_t OnHeader(char* data, size_t, size_t length, void* self) {
    auto* impl = static_cast<Impl*>(self);
    impl->last_byte_ = Clock::now();
    if (impl->body_open_) return length;  // trailers of a chunked body
    ReplyHead& head = impl->head_;
    head.Feed(std::string_view(data, length));
    if (head.content_length > kMaxBody) {
      impl->abort_reason_ = kTooLarge;
      return 0;
    }
    if (head.complete) {
      if (!SettleResume(head, impl->asked_from_, impl->body_, impl->resume_, impl->resumed_)) {
        impl->abort_reason_ = kPartDoesNotFit;
        return 0;
      }
      if (BeyondBodyLimit(impl->ExpectedLength(), impl->most_body_bytes_)) {
        impl->abort_reason_ = kBodyTooLong;
        return 0;
      }
      // curl keeps HTTP/1.0 connections that ask for keep-alive; this client never does.
      if (head.version_1_0 || head.connection_close) {
        curl_easy_setopt(impl->easy_, CURLOPT_FORBID_REUSE, 1L);
      }
      impl->BeginBody();
    }
    return impl->failure_ ? 0 : length;
  }

  static size_t OnBody(char* data, size_t, size_t length, void* self) {
    auto* impl = static_cast<Impl*>(self);
    impl->last_byte_ = Clock::now();
    if (!impl->body_open_) impl->BeginBody();
    const auto after = static_cast<int64_t>(impl->body_.size() + length);
    if (after > kMaxBody) {
      impl->abort_reason_ = kTooLarge;
      return 0;
    }
    if (BeyondBodyLimit(after, impl->most_body_bytes_)) {
      impl->abort_reason_ = kBodyTooLong;
      return 0;
    }
    impl->body_.append(data, length);
    impl->Raise(&HttpEvents::work, static_cast<int64_t>(impl->body_.size()));
    return impl->failure_ ? 0 : length;
  }

  HttpEvents events_;
  HttpTimeouts timeouts_;
  HttpTrust trust_;          // what the next request trusts
  HttpTrust applied_trust_;  // what easy_ was configured with
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  curl_slist* headers_ = nullptr;
  curl_slist* resume_headers_ = nullptr;  // those of the running request when it resumes
  std::string header_host_;
  std::string origin_;  // host:port that the connections held by multi_ lead to
  std::vector<curl_socket_t> opening_;
  std::vector<curl_socket_t> open_;
  char error_buffer_[CURL_ERROR_SIZE] = {};

  // State of the running request.
  bool running_ = false;
  bool closing_after_peer_ = false;
  const HttpEvents* active_events_ = nullptr;
  int idle_ms_ = 0;
  int64_t most_body_bytes_ = -1;
  ReplyHead head_;
  std::string body_;
  BodyResume* resume_ = nullptr;
  int64_t asked_from_ = 0;  // kept bytes the request asked to continue
  bool resumed_ = false;    // the reply continues them
  bool body_open_ = false;
  int held_disconnects_ = 0;
  std::exception_ptr failure_;
  std::string abort_reason_;
  bool request_sent_ = false;
  Clock::time_point last_byte_;
};

HttpClient::HttpClient(HttpEvents events, HttpTimeouts timeouts)
    : impl_(std::make_unique<Impl>(std::move(events), timeouts)) {}

HttpClient::~HttpClient() = default;

void HttpClient::SetEvents(HttpEvents events) {
  impl_->SetEvents(std::move(events));
}

void HttpClient::CloseConnection() {
  impl_->CloseConnection();
}

void HttpClient::SetTimeouts(HttpTimeouts timeouts) {
  impl_->SetTimeouts(timeouts);
}

void HttpClient::SetTrust(HttpTrust trust) {
  impl_->SetTrust(std::move(trust));
}

HttpReply HttpClient::Get(const std::string& url, const BodyObserver& on_body,
                          int64_t most_body_bytes, BodyResume* resume) {
  return impl_->Get(url, on_body, most_body_bytes, resume);
}

}  // namespace veyra
