#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "updater/http/body_resume.h"

namespace veyra {

// What the client reports while it works, raised synchronously from inside Get(). For one
// request the order is: connected (only when a new connection had to be opened), work_begin,
// work (zero or more times), work_end, and disconnected whenever an open connection closes.
struct HttpEvents {
  std::function<void()> connected;  // a new connection was opened (TCP connect done)
  std::function<void(int64_t expected)> work_begin;  // body starts; expected = Content-Length or 0
  std::function<void(int64_t total)> work;           // running total of body bytes of this cycle
  std::function<void()> work_end;
  std::function<void()> disconnected;  // an open connection closed, for whatever reason
};

struct HttpTimeouts {      // the one place where the time-outs live
  int connect_ms = 15000;  // TCP connect
  // The stall limit: an attempt fails when no byte arrives for this long, and also when it
  // averages less than 1 KiB/s for this long (counted in whole seconds, at least one).
  int idle_ms = 60000;
};

// Whom https requests trust: the system's store, or only the CAs of one PEM file.
struct HttpTrust {
  std::string ca_bundle_file;  // empty: the system's trust store
};

// The error of a reply whose body would be longer than the caller allowed.
inline constexpr char kBodyTooLong[] = "body longer than expected";

struct HttpReply {
  bool ok = false;             // transport fine AND status 2xx
  long status = 0;             // 0 when no status line arrived
  int64_t content_length = 0;  // the reply's Content-Length; 0 when absent or not decimal
  std::string content_type;    // the reply's Content-Type as sent; empty when absent
  std::string body;            // whole body, also for error replies
  std::string error;           // readable reason when !ok
  // A 206 that continued the kept bytes of a BodyResume: the body is the whole file and
  // content_length the whole file's length.
  bool resumed = false;
};

// The updater's HTTP client: plain GETs with a fixed request form, one persistent connection
// that is reused while the server allows it, no proxy, no redirects. http URLs go as HTTP/1.1;
// https URLs verify the server's certificate and name and speak HTTP/2 when the server offers
// it, still one request at a time. Not thread-safe; meant for the GUI thread, which keeps
// running through PumpMessages().
class HttpClient {
 public:
  explicit HttpClient(HttpEvents events = {}, HttpTimeouts timeouts = {});
  // Closes any open connection, raising disconnected (a handler's exception is swallowed here).
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // These take effect with the next Get(); a running request keeps what it started with.
  void SetEvents(HttpEvents events);
  void SetTimeouts(HttpTimeouts timeouts);
  void SetTrust(HttpTrust trust);
  // Closes the kept connection, if any (raising disconnected), so that other connections to the
  // same server can take its place: returns once the server has closed it too (or after a
  // second), so that it never counts beside them. Does nothing while a request runs.
  void CloseConnection();

  // GETs an absolute URL ("http[s]://host[:port]/path"), blocking, and calls PumpMessages() at
  // least every 50 ms while it waits, also when no byte arrives. The request is exactly
  //   GET <path> HTTP/1.1 / Host: <host without port> / Accept: text/html, */* /
  //   User-Agent: Mozilla/3.0 (compatible; Indy Library)
  // and over HTTP/2 the same fields, the Host becoming the :authority.
  // The result is ok only for a complete 2xx reply, and never for a 206 that was not asked for:
  // a part of a file is no file. The body of any other reply is still read.
  // A Get() started while another runs (from a handler inside the pump) is refused with the
  // error "request already running". An exception thrown by an event handler or by the pump
  // aborts the transfer and is rethrown from here once the client is back in a clean state.
  //
  // `on_body`, when given, sees the body received so far, every few hundred KiB while it
  // arrives (not for its end); the bytes are those the reply will hold, but they may move
  // between calls. It runs between network reads, so its work overlaps with the server's sending.
  //
  // `most_body_bytes`, when not negative, is the longest body the caller accepts: a reply that
  // announces more, or whose body grows past it, ends at once as failed (kBodyTooLong) without
  // the rest being read; for a resumed download the limit is on the whole file.
  //
  // `resume`, when given, lets the download go on from bytes kept earlier and reports what the
  // reply offers for going on later (see BodyResume). Without kept bytes the request is the
  // plain one above; with them it adds Range and If-Range, and a 206 that does not continue
  // them fails the attempt.
  using BodyObserver = std::function<void(std::string_view body_so_far)>;
  HttpReply Get(const std::string& url, const BodyObserver& on_body = {},
                int64_t most_body_bytes = -1, BodyResume* resume = nullptr);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace veyra
