// Installing a changed file from a signed patch against the version the player has.
#include <algorithm>
#include <system_error>

#include "platform/confined_files.h"
#include "platform/paths.h"
#include "updater/engine/updater_engine.h"
#include "updater/http/http_target.h"
#include "updater/patch/zstd_patch.h"
#include "updater/records/files.h"
#include "updater/signing/sha256.h"

namespace veyra {
namespace {

// Large files are hashed in pieces of this size, messages running between them.
constexpr size_t kHashPiece = size_t{4} << 20;

bool IsSingleFile(const QueueEntry& entry) {
  return entry.marker == "E" || entry.marker == "O";
}

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

std::string UpdaterEngine::HashLettingMessagesRun(std::string_view bytes) {
  Sha256 hash;
  for (size_t at = 0; at < bytes.size(); at += kHashPiece) {
    hash.Add(bytes.substr(at, kHashPiece));
    LetMessagesRunWhileInstalling();
  }
  return hash.FinishHex();
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
  // The record's version proves nothing (players edit files): only the content's digest does.
  // Base and result are both held in memory, within what a patch may cover; a file longer than
  // every base is not even read.
  int64_t longest_base = 0;
  for (const SignedPatch* offer : offers) longest_base = std::max(longest_base, offer->base.length);
  std::string base;
  const SignedPatch* patch = nullptr;
  if (ReadConfinedFile(target, static_cast<uint64_t>(std::min(longest_base, kPatchMostBytes)), base)
          .ok()) {
    const SignedDigest digest{static_cast<int64_t>(base.size()), HashLettingMessagesRun(base)};
    for (const SignedPatch* offer : offers) {
      if (offer->base == digest && offer->base.length + offer->result.length <= kPatchMostBytes) {
        patch = offer;
        break;
      }
    }
  }
  if (patch == nullptr) {
    FetchWholeFileInstead(entry);
    return std::nullopt;
  }
  if (ahead_) ahead_->Redirect(turn_, RequestUrl(BaseUrl, patch->remote), patch->patch.length);
  // Its signed length bounds the body and its digest proves it (FetchToStream).
  std::string patch_bytes;
  FetchToStream(patch->remote, patch_bytes);
  std::optional<std::string> result;
  if (Downloaded) result = ApplyZstdPatch(base, patch_bytes, patch->result.length);
  if (!result || HashLettingMessagesRun(*result) != patch->result.sha256) {
    view_.Log("patch " + patch->remote + " failed; fetching " + entry.remote_name + " whole");
    FetchWholeFileInstead(entry);
    return std::nullopt;
  }
  base = std::string();  // freed before the write
  if (const SignedDigest* whole = signature_.DigestOf(entry.remote_name)) {
    patch_bytes_saved_ += whole->length - patch->patch.length;
  }
  ++patched_entries_;
  return Written(WriteBufferToMappedFile(target, *result));
}

}  // namespace veyra
