#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "updater/http/http_client.h"

namespace veyra {

// Several GETs to one server at once, for downloading the next files while the current one is
// installed. At most `connections` connections are open at any time. Over HTTP/1.1 each download
// has a kept connection to itself, so at most `connections` run at once; once the server has
// been seen to speak HTTP/2 they become streams of one connection, up to kMostStreams. Every
// download carries an id (the entry's position in the queue); ids decide who waits: the id
// whose turn has come never waits behind one after it, and downloads after the turn may hold at
// most `budget` bytes between them (announced or received, see BytesAhead), or they are refused.
//
// The request form, the trust, the reply verdict and the stall limit are those of HttpClient.
// Only the connection events of `events` are raised (connected when a connection is ready for
// its first request, disconnected when an open one closes), once per real connection however
// many streams it carries; a handler's exception leaves Drive().
// Not thread-safe; driven from the caller's thread.
class DownloadPool {
 public:
  DownloadPool(int connections, int64_t budget, HttpEvents events, HttpTimeouts timeouts,
               HttpTrust trust = {});
  // Drops every download and closes every connection.
  ~DownloadPool();
  DownloadPool(const DownloadPool&) = delete;
  DownloadPool& operator=(const DownloadPool&) = delete;

  // The entry whose turn has come; downloads of earlier ids are dropped.
  void SetTurn(size_t turn);
  // Starts downloading `url` for `id` unless it is running or finished. When as many run as may,
  // the running download with the greatest id after `id` gives way to it; false when none can.
  // `most_body_bytes` as in HttpClient::Get: a longer body fails the download at once.
  // `resume` as in HttpClient::Get: kept bytes to go on from; its out-fields are ResumeOf(id).
  bool Start(size_t id, const std::string& url, int64_t most_body_bytes = -1,
             BodyResume resume = {});
  bool Has(size_t id) const;
  bool Finished(size_t id) const;
  // Refused for the budget: not to be started again before its turn.
  bool Refused(size_t id) const;
  // How many more downloads may run now.
  int FreeSlots() const;

  struct Progress {
    bool head = false;     // the reply's header block has arrived
    int64_t expected = 0;  // Content-Length, 0 for a chunked body
    int64_t received = 0;  // body bytes so far
  };
  Progress ProgressOf(size_t id) const;
  // The body received so far by a running download (empty for others); it may move later.
  std::string_view BodySoFar(size_t id) const;
  // What the reply of `id` offers for going on later (BodyResume's out-fields); nullptr when
  // the pool has no download of `id`.
  BodyResume* ResumeOf(size_t id);

  // Takes the finished reply of `id` (an empty failed reply when there is none).
  HttpReply Take(size_t id);
  void Drop(size_t id);

  // Moves every transfer on, waiting at most `wait_ms` for the network.
  void Drive(int wait_ms);

  // The most downloads that run at once as streams of one HTTP/2 connection. A request goes out
  // only when an earlier download ends, so the streams must hold more than a round trip of the
  // link even when the files are small: on a far 100 Mbit/s link, 32 left it idle between runs
  // of small files and 64 kept it busy.
  static constexpr int kMostStreams = 64;

  // What a download after the turn counts against the budget at the least, whatever its size:
  // it bounds how many small files can wait (1024 with 64 MiB).
  static constexpr int64_t kLeastCharge = 64 * 1024;
  // Bytes that downloads after the turn hold or have announced, each at least kLeastCharge.
  int64_t BytesAhead() const;
  int64_t peak_bytes_ahead() const { return peak_bytes_ahead_; }
  int open_connections() const { return static_cast<int>(open_.size()); }
  // The server has answered over HTTP/2, so downloads may run as streams.
  bool multiplexing() const { return multiplexing_; }

 private:
  struct Slot;
  Slot* SlotOf(size_t id) const;
  Slot& NewSlot();
  int MostRunning() const;
  int Running() const;
  void Finish(Slot& slot, CURLcode result);
  void StartOn(Slot& slot, size_t id, const std::string& url, int64_t most_body_bytes,
               BodyResume resume);
  void Release(Slot& slot);
  bool OverBudget(const Slot& slot, int64_t more) const;
  void NoteBytesAhead();
  template <typename Handler>
  void Raise(Handler HttpEvents::*handler);

  static curl_socket_t OpenSocket(void* slot, curlsocktype, curl_sockaddr* address);
  static int CloseSocket(void* slot, curl_socket_t fd);
  static int BeforeRequest(void* slot, char*, char*, int, int);
  static size_t OnHeader(char* data, size_t, size_t length, void* slot);
  static size_t OnBody(char* data, size_t, size_t length, void* slot);

  int connections_;
  int64_t budget_;
  HttpEvents events_;
  HttpTimeouts timeouts_;
  HttpTrust trust_;
  bool multiplexing_ = false;
  CURLM* multi_ = nullptr;
  std::vector<std::unique_ptr<Slot>> slots_;
  struct Done {
    HttpReply reply;
    BodyResume resume;
    int64_t expected = 0;
    bool refused = false;
  };
  std::map<size_t, Done> done_;
  std::vector<curl_socket_t> open_;
  size_t turn_ = 0;
  int64_t peak_bytes_ahead_ = 0;
  std::exception_ptr failure_;
};

}  // namespace veyra
