#include "updater/engine/downloads_ahead.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/pump.h"

namespace veyra {
namespace {

using Clock = std::chrono::steady_clock;

// As in HttpClient: the network is polled at least this often, messages run at most this often.
constexpr int kPollMs = 20;
constexpr auto kPumpEvery = std::chrono::milliseconds(10);
constexpr int64_t kObserveEvery = 256 * 1024;

bool Whole(const HttpReply& reply) {
  return reply.ok && static_cast<int64_t>(reply.body.size()) == reply.content_length;
}

}  // namespace

DownloadsAhead::DownloadsAhead(std::vector<std::string> urls, int connections, int64_t budget,
                               HttpEvents events, HttpTimeouts timeouts)
    : urls_(std::move(urls)),
      connections_(connections),
      budget_(budget),
      events_(events),
      pool_(connections, budget, std::move(events), timeouts) {}

void DownloadsAhead::Plan(size_t turn) {
  // Downloads that ended since the last look free their connections for the next ones.
  pool_.Drive(0);
  pool_.SetTurn(turn);
  const DownloadPool::Progress current = pool_.ProgressOf(turn);
  // An entry larger than the budget travels alone.
  if (current.head && current.expected > budget_) return;
  // The turn's own download comes first, until the turn has claimed it; then up to N after it.
  const size_t first = turn < claimed_until_ ? turn + 1 : turn;
  const size_t last = std::min(urls_.size(), first + static_cast<size_t>(connections_));
  for (size_t next = first; next < last; ++next) {
    if (urls_[next].empty() || pool_.Has(next)) continue;
    if (pool_.FreeConnections() == 0 || (next > turn && pool_.BytesAhead() >= budget_)) break;
    pool_.Start(next, urls_[next]);
  }
}

void DownloadsAhead::DropDownloads() {
  pool_.SetTurn(static_cast<size_t>(-1));
}

HttpReply DownloadsAhead::Fetch(size_t turn, const std::string& url,
                                const HttpClient::BodyObserver& on_body) {
  Plan(turn);
  claimed_until_ = turn + 1;  // from here on the attempts below fetch it
  if (pool_.Finished(turn)) {
    HttpReply reply = pool_.Take(turn);
    if (Whole(reply)) {
      const auto size = static_cast<int64_t>(reply.body.size());
      if (events_.work_begin) events_.work_begin(reply.content_length);
      if (size > 0 && events_.work) events_.work(size);
      if (events_.work_end) events_.work_end();
      Plan(turn);
      return reply;
    }
  }
  if (!pool_.Has(turn)) pool_.Start(turn, url);
  return WaitFor(turn, on_body);
}

HttpReply DownloadsAhead::WaitFor(size_t turn, const HttpClient::BodyObserver& on_body) {
  Clock::time_point last_pump = Clock::now() - kPumpEvery;
  bool begun = false;
  int64_t shown = 0;
  int64_t observed = 0;
  for (;;) {
    const bool finished = pool_.Finished(turn);
    const DownloadPool::Progress progress = pool_.ProgressOf(turn);
    if (progress.head && !begun) {
      begun = true;
      if (events_.work_begin) events_.work_begin(progress.expected);
    }
    if (begun && progress.received > shown) {
      shown = progress.received;
      if (events_.work) events_.work(shown);
    }
    if (finished) break;
    if (on_body && progress.received >= observed + kObserveEvery) {
      observed = progress.received;
      on_body(pool_.BodySoFar(turn));
    }
    if (Clock::now() - last_pump >= kPumpEvery) {
      PumpMessages();
      last_pump = Clock::now();
    }
    pool_.Drive(kPollMs);
    Plan(turn);
  }
  if (begun && events_.work_end) events_.work_end();
  HttpReply reply = pool_.Take(turn);
  Plan(turn);
  return reply;
}

}  // namespace veyra
