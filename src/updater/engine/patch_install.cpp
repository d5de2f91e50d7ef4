// Installing a changed file from a signed patch against the version the player has.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/confined_files.h"
#include "platform/paths.h"
#include "updater/engine/updater_engine.h"
#include "updater/http/http_target.h"
#include "updater/patch/zstd_patch.h"
#include "updater/records/files.h"
#include "updater/signing/sha256.h"

namespace veyra {
namespace {

// How often messages run while waiting for the player's file to be read and hashed.
constexpr auto kPumpEvery = std::chrono::milliseconds(10);

bool IsSingleFile(const QueueEntry& entry) {
  return entry.marker == "E" || entry.marker == "O";
}

// Waits for `done`, letting `pump` run meanwhile.
template <typename Future>
void WaitLettingMessagesRun(const Future& done, const std::function<void()>& pump) {
  while (done.wait_for(kPumpEvery) != std::future_status::ready) pump();
}

// The player's file, read and hashed on a thread of its own, so that the patch travels and is
// applied meanwhile. The record's version proves nothing (players edit files): only the
// content's digest does.
class PlayerFile {
 public:
  PlayerFile(const std::filesystem::path& target, uint64_t most_bytes)
      : read_done_(read_.get_future()),
        digest_(std::async(std::launch::async, [this, root = ProgramFolder(), target, most_bytes] {
          return ReadAndHash(root, target, most_bytes);
        })) {}
  ~PlayerFile() {
    if (digest_.valid()) digest_.wait();
  }
  PlayerFile(const PlayerFile&) = delete;
  PlayerFile& operator=(const PlayerFile&) = delete;

  // The bytes once read, nullptr before; they stay unchanged from then on.
  const std::string* bytes() const {
    return bytes_read_.load(std::memory_order_acquire) ? &bytes_ : nullptr;
  }
  // Waits for the bytes; nullptr when the file could not be read.
  const std::string* WaitForBytes(const std::function<void()>& pump) const {
    WaitLettingMessagesRun(read_done_, pump);
    return bytes();
  }
  // Waits for the digest; nullopt when the file could not be read.
  const std::optional<SignedDigest>& Digest(const std::function<void()>& pump) {
    if (digest_.valid()) {
      WaitLettingMessagesRun(digest_, pump);
      known_ = digest_.get();
    }
    return known_;
  }

 private:
  std::optional<SignedDigest> ReadAndHash(const std::string& root,
                                          const std::filesystem::path& target,
                                          uint64_t most_bytes) {
    struct Done {  // the waiters are told also when the read fails or throws
      std::promise<void>& read;
      ~Done() { read.set_value(); }
    } done{read_};
    if (!ReadConfinedFileIn(root, target, most_bytes, bytes_, LargerFile::kRefuse).ok()) {
      return std::nullopt;
    }
    bytes_read_.store(true, std::memory_order_release);
    Sha256 hash;
    hash.Add(bytes_);
    return SignedDigest{static_cast<int64_t>(bytes_.size()), hash.FinishHex()};
  }

  std::string bytes_;
  std::atomic<bool> bytes_read_{false};
  std::promise<void> read_;
  std::shared_future<void> read_done_;
  std::optional<SignedDigest> known_;
  std::future<std::optional<SignedDigest>> digest_;
};

// A result that grows at its end, hashed and written to its new file on a thread of its own as
// far as it is offered, so that the decoding thread goes on meanwhile (and keeps taking in the
// network). The offered bytes must stay unchanged, where they are, until Finish or the end of
// the object; so must `file`.
class ResultSink {
 public:
  explicit ResultSink(ConfinedReplacement& file) : file_(file), thread_([this] { Run(); }) {}
  ~ResultSink() { Stop(/*abandon=*/true); }
  ResultSink(const ResultSink&) = delete;
  ResultSink& operator=(const ResultSink&) = delete;

  // `ready` is the whole result so far: what was offered before, and more.
  void Offer(std::string_view ready) {
    {
      const std::lock_guard lock(mutex_);
      ready_ = ready;
    }
    offered_.notify_one();
  }
  // Takes the rest of what was offered; the digest of all of it (hex).
  std::string Finish() {
    Stop(/*abandon=*/false);
    return hash_.FinishHex();
  }

 private:
  void Run() {
    size_t done = 0;
    for (;;) {
      std::string_view ready;
      {
        std::unique_lock lock(mutex_);
        offered_.wait(lock, [&] { return stopping_ || ready_.size() - done >= kPiece; });
        if (abandoned_ || (stopping_ && ready_.size() == done)) return;
        ready = ready_;
      }
      const std::string_view piece = ready.substr(done, kPiece);
      hash_.Add(piece);
      file_.Append(piece);  // a failure stays in the file's status
      done += piece.size();
    }
  }
  void Stop(bool abandon) {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
      abandoned_ = abandon;
    }
    offered_.notify_one();
    if (thread_.joinable()) thread_.join();
  }

  static constexpr size_t kPiece = size_t{4} << 20;
  ConfinedReplacement& file_;
  std::mutex mutex_;
  std::condition_variable offered_;
  std::string_view ready_;
  bool stopping_ = false;
  bool abandoned_ = false;
  Sha256 hash_;
  std::thread thread_;
};

// A patch applied while it arrives: its result is hashed and written as it grows to a new file
// beside the player's, which takes its place only once the result is proven (Install).
// Decoding starts once the player's file is read.
class ArrivingPatch : public ArrivingBody {
 public:
  ArrivingPatch(const PlayerFile& base, const std::filesystem::path& target, int64_t result_length)
      : base_(base), target_(target), application_(result_length) {
    Restart();
  }

  void Restart() override {
    sink_.reset();  // done with the result and the file first
    application_.Restart();
    fed_ = 0;
    file_.reset();
    file_.emplace(ProgramFolder(), target_);
    sink_ = std::make_unique<ResultSink>(*file_);
  }
  void Advance(const void* source, size_t available) override {
    if (!application_.has_base()) {
      const std::string* base = base_.bytes();
      if (base == nullptr) return;
      application_.SetBase(*base);
    }
    // In small steps: a few bytes of a patch can stand for many megabytes of the result, which
    // are hashed and written while the next are decoded.
    while (fed_ < available) {
      fed_ = std::min(fed_ + kFeedPiece, available);
      application_.Advance(source, fed_);
      sink_->Offer(application_.decoded());
    }
  }
  // Whether the whole patch `patch` applied to `base` (the player's file, read) yields the
  // signed result. The player's file is not used after it.
  bool Finish(const std::string& base, const std::string& patch, const SignedDigest& expected) {
    if (!application_.has_base()) application_.SetBase(base);
    Advance(patch.data(), patch.size());
    if (!application_.Finish(patch.data(), patch.size())) return false;
    sink_->Offer(application_.decoded());
    return static_cast<int64_t>(application_.decoded().size()) == expected.length &&
           sink_->Finish() == expected.sha256;
  }
  // Puts the proven result in the player's file's place.
  FileStatus Install() { return file_->Commit(); }

 private:
  // Decoded from this many more bytes of the patch at a time.
  static constexpr size_t kFeedPiece = 4096;

  const PlayerFile& base_;
  const std::filesystem::path target_;
  ZstdPatchApplication application_;
  size_t fed_ = 0;
  std::optional<ConfinedReplacement> file_;
  std::unique_ptr<ResultSink> sink_;
};

}  // namespace

const SignedPatch* UpdaterEngine::PlannedPatch(const QueueEntry& entry) const {
  if (!patches_allowed_ || !IsSingleFile(entry)) return nullptr;
  const std::vector<const SignedPatch*> offers = signature_.PatchesFor(entry.remote_name);
  if (offers.empty()) return nullptr;
  std::error_code error;
  const auto size = std::filesystem::file_size(MapPath(ProgramFolder() + entry.local_name), error);
  if (error) return nullptr;
  for (const SignedPatch* offer : offers) {
    if (offer->base.length == static_cast<int64_t>(size)) return offer;
  }
  return nullptr;
}

void UpdaterEngine::FetchWholeFileInstead(const QueueEntry& entry) {
  if (!ahead_) return;
  const SignedDigest* whole = signature_.DigestOf(entry.remote_name);
  ahead_->Redirect(turn_, RequestUrl(BaseUrl, entry.remote_name), whole ? whole->length : -1);
}

std::optional<UpdaterEngine::InstallResult> UpdaterEngine::InstallFromPatch(
    const QueueEntry& entry, const std::filesystem::path& target) {
  if (!patches_allowed_ || !IsSingleFile(entry)) return std::nullopt;
  const std::vector<const SignedPatch*> offers = signature_.PatchesFor(entry.remote_name);
  if (offers.empty()) return std::nullopt;
  // Base and result are both held in memory, within what a patch may cover; a file longer than
  // every base is not even read.
  int64_t longest_base = 0;
  for (const SignedPatch* offer : offers) longest_base = std::max(longest_base, offer->base.length);
  const std::function<void()> pump = [this] { LetMessagesRunWhileInstalling(); };
  std::unique_ptr<ArrivingPatch> result;
  const SignedPatch* applied = nullptr;
  {
    PlayerFile base(target, static_cast<uint64_t>(std::min(longest_base, kPatchMostBytes)));
    const auto fetch_and_apply = [&](const SignedPatch& patch) -> std::unique_ptr<ArrivingPatch> {
      if (ahead_) ahead_->Redirect(turn_, RequestUrl(BaseUrl, patch.remote), patch.patch.length);
      // Its signed length bounds the body and its digest proves it (FetchToStream); the result
      // counts only once its own digest matches too.
      auto arriving = std::make_unique<ArrivingPatch>(base, target, patch.result.length);
      std::string patch_bytes;
      FetchToStream(patch.remote, patch_bytes, arriving.get());
      const std::string* base_bytes = Downloaded ? base.WaitForBytes(pump) : nullptr;
      if (base_bytes == nullptr || !arriving->Finish(*base_bytes, patch_bytes, patch.result)) {
        return nullptr;
      }
      return arriving;
    };
    // The patch for a file of the player's length travels while the file is read and hashed; it
    // is used only when the file proves to be its base.
    const SignedPatch* planned = PlannedPatch(entry);
    if (planned != nullptr) result = fetch_and_apply(*planned);
    const std::optional<SignedDigest>& digest = base.Digest(pump);
    const auto proven = [&](const SignedPatch* offer) {
      return digest && offer->base == *digest &&
             offer->base.length + offer->result.length <= kPatchMostBytes;
    };
    if (planned != nullptr && result && proven(planned)) {
      applied = planned;
    } else if (const auto other = std::find_if(offers.begin(), offers.end(), proven);
               other != offers.end() && *other != planned) {
      result.reset();
      result = fetch_and_apply(**other);
      if (result) applied = *other;
    }
  }  // the player's file is freed before the rest is written
  if (applied == nullptr) {
    view_.Log("no patch applies to " + entry.local_name + "; fetching " + entry.remote_name +
              " whole");
    FetchWholeFileInstead(entry);
    return std::nullopt;
  }
  if (const SignedDigest* whole = signature_.DigestOf(entry.remote_name)) {
    patch_bytes_saved_ += whole->length - applied->patch.length;
  }
  ++patched_entries_;
  return Written(result->Install());
}

}  // namespace veyra
