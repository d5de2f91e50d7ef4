#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "updater/http/download_pool.h"
#include "updater/http/http_client.h"

namespace veyra {

// The main pass's downloads when several connections are allowed: while one entry is being
// installed, the files of the entries after it are already on their way on at most
// `connections` connections (as HTTP/2 streams of one connection when the server speaks it),
// with at most `budget` bytes waiting (each download ahead counting
// at least DownloadPool::kLeastCharge). The entries themselves are still installed
// one by one in queue order; this only decides when their bytes travel.
class DownloadsAhead {
 public:
  // `urls[i]` is the request URL of queue entry i, empty for entries not downloaded ahead of
  // their turn (those the pass does not download, and those that resume kept bytes).
  // `events`: connection events are raised as connections open and close; the body events only
  // for the entry whose turn it is, from Fetch. `most_body_bytes[i]`, when given, is the longest
  // body entry i may have (negative: no limit), ahead and in its Fetch alike; an empty vector
  // limits none.
  DownloadsAhead(std::vector<std::string> urls, int connections, int64_t budget, HttpEvents events,
                 HttpTimeouts timeouts, HttpTrust trust = {},
                 std::vector<int64_t> most_body_bytes = {});

  // Entry `turn` is being applied: what lies before it is dropped, downloads of the entries
  // after it start as connections and the budget allow. Also what the long steps of an entry
  // (expanding a large file) call now and then, so that the downloads ahead keep moving.
  void Plan(size_t turn);

  // One attempt for the entry whose turn it is, in place of HttpClient::Get. A download that
  // arrived whole ahead of the turn is handed over at once (its body events raised on the spot);
  // one that failed ahead is not counted and is done again here. Otherwise waits for the
  // download, letting messages run, while the other downloads go on.
  // `resume` as in HttpClient::Get; a download that failed ahead leaves its bytes in it, so
  // that the attempt here goes on from them.
  HttpReply Fetch(size_t turn, const std::string& url, const HttpClient::BodyObserver& on_body,
                  BodyResume* resume = nullptr);

  // Entry `entry` is to be downloaded from `url` instead (a patch in place of its file, or its
  // file after all), with `most_body_bytes` as its limit. What was fetched or under way for it
  // is dropped. Nothing changes when it has that URL already.
  void Redirect(size_t entry, const std::string& url, int64_t most_body_bytes);

  // Drops every download; the connections stay open for reuse, as one kept connection does.
  void DropDownloads();

  int64_t peak_bytes_ahead() const { return pool_.peak_bytes_ahead(); }

 private:
  HttpReply WaitFor(size_t turn, const HttpClient::BodyObserver& on_body, BodyResume* resume);
  // Copies what the download of `turn` offers for going on later into `resume`, with the kept
  // bytes an error reply left untouched.
  void ReportResume(size_t turn, BodyResume* resume);
  int64_t MostBodyBytes(size_t entry) const;

  std::vector<std::string> urls_;
  std::vector<int64_t> most_body_bytes_;
  std::vector<size_t> downloaded_;  // the entries with a URL, in queue order
  int64_t budget_;
  HttpEvents events_;
  size_t claimed_until_ = 0;  // turns before this have taken over their own downloads
  DownloadPool pool_;
};

}  // namespace veyra
