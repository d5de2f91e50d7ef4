#include "updater/http/download_pool.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/sockets.h"
#include "updater/http/http_target.h"
#include "updater/http/reply_head.h"
#include "updater/http/request_form.h"
#include "updater/http/socket_list.h"

namespace veyra {
namespace {

constexpr size_t kNoId = static_cast<size_t>(-1);
// A Content-Length is only a claim: reserve at most this much up front, grow beyond it.
constexpr int64_t kReserveCap = int64_t{64} << 20;
constexpr int64_t kMaxBody = INT32_MAX;
const char kOverBudget[] = "too far ahead for the memory budget";
const char kTooLarge[] = "reply too large";

}  // namespace

// One download's place: an easy handle that keeps its settings between downloads. Sockets are
// remembered by the slot that opened them until the request goes out, so that the connected
// event belongs to the connection that is really ready; the streams that join an HTTP/2
// connection later open none and raise nothing.
struct DownloadPool::Slot {
  DownloadPool* pool = nullptr;
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  curl_slist* resume_headers = nullptr;  // those of the running download when it resumes
  std::string header_host;
  size_t id = kNoId;
  int64_t most_body_bytes = -1;
  ReplyHead head;
  std::string body;
  BodyResume resume;
  int64_t asked_from = 0;  // kept bytes the request asked to continue
  bool resumed = false;    // the reply continues them
  std::string abort_reason;
  std::vector<curl_socket_t> opening;
  char error_buffer[CURL_ERROR_SIZE] = {};

  bool busy() const { return id != kNoId; }
  int64_t expected() const {
    if (resumed) return head.range_total;
    return head.chunked ? 0 : head.content_length;
  }
  int64_t held() const { return std::max(expected(), static_cast<int64_t>(body.size())); }
};

DownloadPool::DownloadPool(int connections, int64_t budget, HttpEvents events,
                           HttpTimeouts timeouts, HttpTrust trust)
    : connections_(std::max(1, connections)),
      budget_(budget),
      events_(std::move(events)),
      timeouts_(timeouts),
      trust_(std::move(trust)) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  multi_ = curl_multi_init();
  const long limit = connections_;
  curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, limit);
  curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, limit);
  curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, limit);
  curl_multi_setopt(multi_, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
  curl_multi_setopt(multi_, CURLMOPT_MAX_CONCURRENT_STREAMS, static_cast<long>(kMostStreams));
  for (int i = 0; i < connections_; ++i) NewSlot();
}

DownloadPool::Slot& DownloadPool::NewSlot() {
  auto slot = std::make_unique<Slot>();
  slot->pool = this;
  slot->easy = curl_easy_init();
  CURL* easy = slot->easy;
  SetRequestForm(easy);
  ApplyTrust(easy, trust_);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, slot->error_buffer);
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &DownloadPool::OpenSocket);
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, slot.get());
  curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &DownloadPool::CloseSocket);
  curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, slot.get());
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &DownloadPool::BeforeRequest);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, slot.get());
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &DownloadPool::OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, slot.get());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DownloadPool::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, slot.get());
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect_ms));
  SetStallLimit(easy, timeouts_.idle_ms);
  slots_.push_back(std::move(slot));
  return *slots_.back();
}

DownloadPool::~DownloadPool() {
  for (auto& slot : slots_) {
    if (slot->busy()) curl_multi_remove_handle(multi_, slot->easy);
  }
  // Connections close through CloseSocket, which needs the slots still alive.
  curl_multi_cleanup(multi_);
  // Whatever curl closed without telling is closed all the same now.
  for (; !open_.empty(); open_.pop_back()) Raise(&HttpEvents::disconnected);
  for (auto& slot : slots_) {
    curl_easy_cleanup(slot->easy);
    curl_slist_free_all(slot->headers);
    curl_slist_free_all(slot->resume_headers);
  }
}

template <typename Handler>
void DownloadPool::Raise(Handler HttpEvents::*handler) {
  if (!(events_.*handler)) return;
  try {
    (events_.*handler)();
  } catch (...) {
    if (!failure_) failure_ = std::current_exception();
  }
}

DownloadPool::Slot* DownloadPool::SlotOf(size_t id) const {
  for (const auto& slot : slots_) {
    if (slot->id == id) return slot.get();
  }
  return nullptr;
}

void DownloadPool::SetTurn(size_t turn) {
  turn_ = turn;
  for (auto& slot : slots_) {
    if (slot->busy() && slot->id < turn) Release(*slot);
  }
  done_.erase(done_.begin(), done_.lower_bound(turn));
}

bool DownloadPool::Has(size_t id) const {
  return SlotOf(id) != nullptr || done_.count(id) != 0;
}

bool DownloadPool::Finished(size_t id) const {
  return done_.count(id) != 0;
}

bool DownloadPool::Refused(size_t id) const {
  auto it = done_.find(id);
  return it != done_.end() && it->second.refused;
}

int DownloadPool::MostRunning() const {
  return multiplexing_ ? std::max(connections_, kMostStreams) : connections_;
}

int DownloadPool::Running() const {
  return static_cast<int>(
      std::count_if(slots_.begin(), slots_.end(), [](const auto& slot) { return slot->busy(); }));
}

int DownloadPool::FreeSlots() const {
  return MostRunning() - Running();
}

bool DownloadPool::Start(size_t id, const std::string& url, int64_t most_body_bytes,
                         BodyResume resume) {
  if (Has(id)) return true;
  Slot* chosen = nullptr;
  if (Running() < MostRunning()) {
    for (auto& slot : slots_) {
      if (!slot->busy()) {
        chosen = slot.get();
        break;
      }
    }
    if (chosen == nullptr) chosen = &NewSlot();
  } else {
    for (auto& slot : slots_) {
      if (slot->busy() && slot->id > id && (chosen == nullptr || slot->id > chosen->id)) {
        chosen = slot.get();
      }
    }
    if (chosen == nullptr) return false;
    Release(*chosen);  // it starts again when its place in line comes back
  }
  StartOn(*chosen, id, url, most_body_bytes, std::move(resume));
  return true;
}

void DownloadPool::StartOn(Slot& slot, size_t id, const std::string& url, int64_t most_body_bytes,
                           BodyResume resume) {
  slot.id = id;
  slot.most_body_bytes = most_body_bytes;
  slot.head = ReplyHead{};
  slot.body.clear();
  slot.resumed = false;
  slot.asked_from = 0;
  if (resume.CanResume()) {
    slot.body = std::move(resume.kept);
    resume.kept.clear();
    slot.asked_from = static_cast<int64_t>(slot.body.size());
  }
  slot.resume = std::move(resume);
  slot.resume.continued_from = slot.asked_from;  // until a head says otherwise
  slot.abort_reason.clear();
  slot.error_buffer[0] = '\0';
  std::string error;
  const std::optional<HttpTarget> target = ParseHttpTarget(url, error);
  if (!target) {
    slot.abort_reason = error;
    Finish(slot, CURLE_URL_MALFORMAT);
    return;
  }
  if (target->host != slot.header_host) {
    curl_slist_free_all(slot.headers);
    slot.headers = RequestHeaders(target->host);
    slot.header_host = target->host;
  }
  curl_slist_free_all(std::exchange(slot.resume_headers, nullptr));
  if (slot.asked_from > 0) {
    slot.resume_headers =
        ResumeRequestHeaders(target->host, slot.asked_from, slot.resume.validator);
  }
  curl_easy_setopt(slot.easy, CURLOPT_HTTPHEADER,
                   slot.asked_from > 0 ? slot.resume_headers : slot.headers);
  curl_easy_setopt(slot.easy, CURLOPT_URL, target->url.c_str());
  SetSchemeForm(slot.easy, *target);
  curl_easy_setopt(slot.easy, CURLOPT_FORBID_REUSE, 0L);
  if (curl_multi_add_handle(multi_, slot.easy) != CURLM_OK) {
    slot.abort_reason = "cannot start the transfer";
    Finish(slot, CURLE_FAILED_INIT);
  }
}

void DownloadPool::Release(Slot& slot) {
  curl_multi_remove_handle(multi_, slot.easy);  // aborts an unfinished transfer
  slot.id = kNoId;
  std::string().swap(slot.body);
  slot.resume = BodyResume{};
}

void DownloadPool::Finish(Slot& slot, CURLcode result) {
  Done& done = done_[slot.id];
  done.reply = HttpReply{};
  curl_easy_getinfo(slot.easy, CURLINFO_RESPONSE_CODE, &done.reply.status);
  done.reply.body = std::move(slot.body);
  done.resume = std::move(slot.resume);
  JudgeReply(done.reply, result, slot.head, slot.abort_reason, slot.error_buffer, slot.resumed);
  done.refused = slot.abort_reason == kOverBudget;
  // A refused body is not kept, so it no longer counts against the budget.
  done.expected = done.refused ? 0 : slot.expected();
  if (done.refused) std::string().swap(done.reply.body);
  Release(slot);
}

DownloadPool::Progress DownloadPool::ProgressOf(size_t id) const {
  Progress progress;
  if (const Slot* slot = SlotOf(id)) {
    progress.head = slot->head.complete;
    progress.expected = slot->expected();
    progress.received = static_cast<int64_t>(slot->body.size());
  } else if (auto it = done_.find(id); it != done_.end()) {
    progress.head = true;
    progress.expected = it->second.expected;
    progress.received = static_cast<int64_t>(it->second.reply.body.size());
  }
  return progress;
}

BodyResume* DownloadPool::ResumeOf(size_t id) {
  if (Slot* slot = SlotOf(id)) return &slot->resume;
  const auto it = done_.find(id);
  return it != done_.end() ? &it->second.resume : nullptr;
}

std::string_view DownloadPool::BodySoFar(size_t id) const {
  const Slot* slot = SlotOf(id);
  return slot ? std::string_view(slot->body) : std::string_view();
}

HttpReply DownloadPool::Take(size_t id) {
  auto it = done_.find(id);
  if (it == done_.end()) return {};
  HttpReply reply = std::move(it->second.reply);
  done_.erase(it);
  return reply;
}

void DownloadPool::Drop(size_t id) {
  if (Slot* slot = SlotOf(id)) Release(*slot);
  done_.erase(id);
}

int64_t DownloadPool::BytesAhead() const {
  int64_t total = 0;
  for (const auto& slot : slots_) {
    // One being aborted keeps nothing, though curl has not reported its end yet.
    if (!slot->busy() || slot->id <= turn_ || !slot->abort_reason.empty()) continue;
    total += std::max(slot->held(), kLeastCharge);
  }
  for (auto it = done_.upper_bound(turn_); it != done_.end(); ++it) {
    const Done& done = it->second;
    if (done.refused) continue;  // holds nothing
    const auto held = std::max(done.expected, static_cast<int64_t>(done.reply.body.size()));
    total += std::max(held, kLeastCharge);
  }
  return total;
}

bool DownloadPool::OverBudget(const Slot& slot, int64_t more) const {
  return slot.id > turn_ && BytesAhead() + more > budget_;
}

void DownloadPool::NoteBytesAhead() {
  peak_bytes_ahead_ = std::max(peak_bytes_ahead_, BytesAhead());
}

void DownloadPool::Drive(int wait_ms) {
  int running = 0;
  const CURLMcode code = curl_multi_perform(multi_, &running);
  if (code != CURLM_OK) throw std::runtime_error(curl_multi_strerror(code));
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg != CURLMSG_DONE) continue;
    for (auto& slot : slots_) {
      if (slot->busy() && slot->easy == message->easy_handle) {
        Finish(*slot, message->data.result);
        break;
      }
    }
  }
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  if (wait_ms > 0) curl_multi_poll(multi_, nullptr, 0, wait_ms, nullptr);
}

// ---- curl callbacks; none of them lets an exception pass ----

curl_socket_t DownloadPool::OpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
  auto* slot = static_cast<Slot*>(self);
  const SocketHandle opened =
      veyra::OpenSocket(address->family, address->socktype, address->protocol);
  if (opened == kNoSocket) return CURL_SOCKET_BAD;
  const auto fd = static_cast<curl_socket_t>(opened);
  // A number handed out again was closed without the close callback (curl does so for some
  // connect attempts it gives up); forget it, or it would be counted twice.
  DownloadPool& pool = *slot->pool;
  for (auto& other : pool.slots_) RemoveSocket(other->opening, fd);
  if (RemoveSocket(pool.open_, fd)) pool.Raise(&HttpEvents::disconnected);
  slot->opening.push_back(fd);
  return fd;
}

int DownloadPool::CloseSocket(void* self, curl_socket_t fd) {
  auto* slot = static_cast<Slot*>(self);
  RemoveSocket(slot->opening, fd);
  if (RemoveSocket(slot->pool->open_, fd)) slot->pool->Raise(&HttpEvents::disconnected);
  return veyra::CloseSocket(static_cast<SocketHandle>(fd));
}

int DownloadPool::BeforeRequest(void* self, char*, char*, int, int) {
  auto* slot = static_cast<Slot*>(self);
  DownloadPool& pool = *slot->pool;
  for (curl_socket_t fd : slot->opening) {
    pool.open_.push_back(fd);
    pool.Raise(&HttpEvents::connected);
  }
  slot->opening.clear();
  return CURL_PREREQFUNC_OK;
}

size_t DownloadPool::OnHeader(char* data, size_t, size_t length, void* self) {
  auto* slot = static_cast<Slot*>(self);
  if (slot->head.complete) return length;  // trailers of a chunked body
  slot->head.Feed(std::string_view(data, length));
  if (slot->head.content_length > kMaxBody) {
    slot->abort_reason = kTooLarge;
    return 0;
  }
  if (!slot->head.complete) return length;
  if (!SettleResume(slot->head, slot->asked_from, slot->body, &slot->resume, slot->resumed)) {
    slot->abort_reason = kPartDoesNotFit;
    return 0;
  }
  if (BeyondBodyLimit(slot->expected(), slot->most_body_bytes)) {
    slot->abort_reason = kBodyTooLong;
    return 0;
  }
  if (slot->head.version_2) slot->pool->multiplexing_ = true;
  if (slot->head.version_1_0 || slot->head.connection_close) {
    curl_easy_setopt(slot->easy, CURLOPT_FORBID_REUSE, 1L);
  }
  // The announced size counts against the budget before a byte of the body is kept.
  if (slot->pool->OverBudget(*slot, 0)) {
    slot->abort_reason = kOverBudget;
    return 0;
  }
  slot->body.reserve(static_cast<size_t>(std::min(slot->expected(), kReserveCap)));
  slot->pool->NoteBytesAhead();
  return length;
}

size_t DownloadPool::OnBody(char* data, size_t, size_t length, void* self) {
  auto* slot = static_cast<Slot*>(self);
  const auto after = static_cast<int64_t>(slot->body.size() + length);
  if (after > kMaxBody) {
    slot->abort_reason = kTooLarge;
    return 0;
  }
  if (BeyondBodyLimit(after, slot->most_body_bytes)) {
    slot->abort_reason = kBodyTooLong;
    return 0;
  }
  const int64_t growth = std::max(after, kLeastCharge) - std::max(slot->held(), kLeastCharge);
  if (growth > 0 && slot->pool->OverBudget(*slot, growth)) {
    slot->abort_reason = kOverBudget;
    return 0;
  }
  slot->body.append(data, length);
  slot->pool->NoteBytesAhead();
  return length;
}

}  // namespace veyra
