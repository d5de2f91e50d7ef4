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
                               HttpEvents events, HttpTimeouts timeouts, HttpTrust trust,
                               std::vector<int64_t> most_body_bytes)
    : urls_(std::move(urls)),
      most_body_bytes_(std::move(most_body_bytes)),
      budget_(budget),
      events_(events),
      pool_(connections, budget, std::move(events), timeouts, std::move(trust)) {
  for (size_t i = 0; i < urls_.size(); ++i) {
    if (!urls_[i].empty()) downloaded_.push_back(i);
  }
}

int64_t DownloadsAhead::MostBodyBytes(size_t entry) const {
  return entry < most_body_bytes_.size() ? most_body_bytes_[entry] : -1;
}

void DownloadsAhead::Plan(size_t turn) {
  // Downloads that ended since the last look free their connections for the next ones.
  pool_.Drive(0);
  pool_.SetTurn(turn);
  const DownloadPool::Progress current = pool_.ProgressOf(turn);
  // An entry larger than the budget travels alone.
  if (current.head && current.expected > budget_) return;
  // The turn's own download comes first, until the turn has claimed it; then the ones after it
  // in queue order, as far as the budget reaches. Going further than one per connection matters:
  // while a large file near the turn is still arriving, the small ones after it would otherwise
  // be done and their connections idle. New ones start only while half the budget is free, so
  // that those already on their way rarely overflow it: a download refused for the budget costs
  // a connection and is fetched again in its turn (on a fast server that would be most of them).
  // Every download ahead counts at least kLeastCharge, so no more than this many can be ahead;
  // the look stops there however long the queue is.
  const int64_t most_ahead = budget_ / DownloadPool::kLeastCharge + 1;
  const size_t first = turn < claimed_until_ ? turn + 1 : turn;
  auto next = std::lower_bound(downloaded_.begin(), downloaded_.end(), first);
  for (int64_t looked = 0; next != downloaded_.end() && looked <= most_ahead; ++next, ++looked) {
    if (pool_.Has(*next)) continue;
    if (pool_.FreeSlots() == 0 || (*next > turn && pool_.BytesAhead() >= budget_ / 2)) break;
    pool_.Start(*next, urls_[*next], MostBodyBytes(*next));
  }
}

void DownloadsAhead::Redirect(size_t entry, const std::string& url, int64_t most_body_bytes) {
  if (entry >= urls_.size() || urls_[entry] == url) return;
  pool_.Drop(entry);
  urls_[entry] = url;
  if (most_body_bytes_.size() < urls_.size()) most_body_bytes_.resize(urls_.size(), -1);
  most_body_bytes_[entry] = most_body_bytes;
}

void DownloadsAhead::DropDownloads() {
  pool_.SetTurn(static_cast<size_t>(-1));
}

void DownloadsAhead::ReportResume(size_t turn, BodyResume* resume) {
  BodyResume* found = pool_.ResumeOf(turn);
  if (resume == nullptr || found == nullptr) return;
  if (!found->kept.empty()) resume->kept = std::exchange(found->kept, {});
  resume->validator = found->validator;
  resume->total = found->total;
  resume->continued_from = found->continued_from;
}

HttpReply DownloadsAhead::Fetch(size_t turn, const std::string& url,
                                const HttpClient::BodyObserver& on_body, BodyResume* resume) {
  Plan(turn);
  claimed_until_ = turn + 1;  // from here on the attempts below fetch it
  if (pool_.Finished(turn)) {
    // What failed ahead of its turn is kept for the attempt here, unless the caller holds more.
    const bool holding = resume != nullptr && resume->CanResume();
    if (!holding) ReportResume(turn, resume);
    HttpReply reply = pool_.Take(turn);
    if (!holding && resume != nullptr && !Whole(reply)) KeepForResume(reply.body, *resume);
    if (Whole(reply)) {
      const auto size = static_cast<int64_t>(reply.body.size());
      if (events_.work_begin) events_.work_begin(reply.content_length);
      if (size > 0 && events_.work) events_.work(size);
      if (events_.work_end) events_.work_end();
      Plan(turn);
      return reply;
    }
  }
  if (!pool_.Has(turn)) {
    BodyResume kept;
    if (resume != nullptr) {
      // The bytes go to the download; the caller keeps its fields until the reply reports.
      kept.kept = std::exchange(resume->kept, {});
      kept.validator = resume->validator;
      kept.total = resume->total;
    }
    pool_.Start(turn, url, MostBodyBytes(turn), std::move(kept));
  }
  return WaitFor(turn, on_body, resume);
}

HttpReply DownloadsAhead::WaitFor(size_t turn, const HttpClient::BodyObserver& on_body,
                                  BodyResume* resume) {
  Clock::time_point last_pump = Clock::now() - kPumpEvery;
  bool begun = false;
  int64_t shown = 0;
  int64_t observed = 0;
  for (;;) {
    const bool finished = pool_.Finished(turn);
    const DownloadPool::Progress progress = pool_.ProgressOf(turn);
    if (progress.head && !begun) {
      begun = true;
      ReportResume(turn, resume);
      if (events_.work_begin) events_.work_begin(progress.expected);
    }
    if (begun && progress.received > shown) {
      shown = progress.received;
      if (events_.work) events_.work(shown);
    }
    if (finished) break;
    if (on_body && begun && progress.received >= observed + kObserveEvery) {
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
  ReportResume(turn, resume);
  HttpReply reply = pool_.Take(turn);
  Plan(turn);
  return reply;
}

}  // namespace veyra
