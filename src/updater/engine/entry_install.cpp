// Downloading one file and installing one queue line.
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/pump.h"
#include "updater/engine/updater_engine.h"
#include "updater/gzip/gzmem.h"
#include "updater/http/http_target.h"
#include "updater/records/archive.h"
#include "updater/records/files.h"
#include "updater/records/update_rule.h"

namespace veyra {
namespace {

constexpr int kFetchAttempts = 3;

}  // namespace

bool IsKnownMarker(const std::string& marker) {
  return marker == "E" || marker == "O" || marker == "C";
}

UpdaterEngine::InstallResult UpdaterEngine::Written(const FileStatus& written) {
  if (written.ok()) return {};
  return {InstallResult::kNotWritten, written.Describe()};
}

void UpdaterEngine::FetchToStream(const std::string& remote_name, std::string& stream,
                                  ArrivingBody* follower, ReplyCheck accept,
                                  int64_t most_body_bytes) {
  Downloaded = false;
  // With a signed set every body must be the one the publisher signed; one it does not name is
  // not even asked for.
  const SignedDigest* signed_digest = nullptr;
  if (signature_.accepted()) {
    signed_digest = signature_.DigestOf(remote_name);
    if (signed_digest == nullptr) {
      view_.Log(remote_name + " is not in the signed statement");
      return;
    }
  }
  // An attempt cut short leaves its bytes here for the next one, which asks only for the rest;
  // a large file's bytes also outlive the run (KeptDownloads). The body an observer sees is
  // always the whole file from its first byte, kept bytes included.
  BodyResume resume;
  if (resume_downloads_) resume = kept_downloads_.Load(remote_name);
  BodyResume* const resumable = resume_downloads_ ? &resume : nullptr;
  BodyDigest digest;
  HttpClient::BodyObserver follow_body;
  if (follower != nullptr || signed_digest != nullptr || resumable != nullptr) {
    // The body is hashed and worked on while it arrives; nothing of it is used before it is
    // complete and proven.
    follow_body = [this, &remote_name, resumable, follower, signed_digest,
                   &digest](std::string_view body) {
      if (signed_digest != nullptr) digest.Follow(body);
      if (follower != nullptr) follower->Advance(body.data(), body.size());
      if (resumable != nullptr) kept_downloads_.Follow(remote_name, body, *resumable);
    };
  }
  const int64_t most_bytes = signed_digest != nullptr ? signed_digest->length : most_body_bytes;
  int64_t saved_by_resuming = 0;
  for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
    PumpMessages();
    if (follower != nullptr) follower->Restart();
    digest.Restart();
    kept_downloads_.BeginAttempt();
    const auto kept_bytes = static_cast<int64_t>(resume.kept.size());
    HttpReply reply =
        FetchOnce(RequestUrl(BaseUrl, remote_name), follow_body, most_bytes, resumable);
    if (reply.resumed) saved_by_resuming += kept_bytes;
    // A body counts only when it is exactly as long as announced; a missing or non-decimal
    // Content-Length announces 0, so such a reply delivers only an empty file.
    const bool whole = reply.ok && static_cast<int64_t>(reply.body.size()) == reply.content_length;
    if (resumable != nullptr) KeepOrForget(remote_name, whole, reply.body, resume);
    if (!whole) continue;
    if (accept != nullptr && !accept(reply)) continue;
    if (signed_digest != nullptr && !digest.Matches(reply.body, *signed_digest)) {
      view_.Log(remote_name + " does not match the signed statement");
      continue;
    }
    Downloaded = true;
    resume_saved_bytes_ += saved_by_resuming;
    if (UpdateState == UpdateStage::kMainPassRunning) {
      pass_progress_.bytes_done += static_cast<int64_t>(reply.body.size());
      pass_progress_.current_bytes = 0;
    }
    if (UpdateState == UpdateStage::kNoListYet) UpdateState = UpdateStage::kListReceived;
    stream = std::move(reply.body);
    return;
  }
}

void UpdaterEngine::KeepOrForget(const std::string& remote_name, bool whole, std::string& body,
                                 BodyResume& resume) {
  // A whole body, proven or not, is never gone on from: a refused one starts afresh.
  if (!whole && KeepForResume(body, resume)) {
    kept_downloads_.Keep(remote_name, resume);
  } else {
    resume = BodyResume{};
    kept_downloads_.Forget(remote_name);
  }
}

HttpReply UpdaterEngine::FetchOnce(const std::string& url, const HttpClient::BodyObserver& on_body,
                                   int64_t most_body_bytes, BodyResume* resume) {
  if (ahead_) return ahead_->Fetch(turn_, url, on_body, resume);
  return http_->Get(url, on_body, most_body_bytes, resume);
}

bool UpdaterEngine::RecordEntry(const QueueEntry& entry) {
  std::string line = entry.local_name + " " + entry.version;
  if (!entry.changed) {
    LocalList.push_back(std::move(line));
    return true;
  }
  if (entry.record_position >= LocalList.size()) return false;
  LocalList[entry.record_position] = std::move(line);
  return true;
}

void UpdaterEngine::ReportWriteFailure(const std::string& local_name, std::string reason) {
  WriteFailed = true;
  write_error_ = std::move(reason);
  view_.Log("cannot write " + local_name + ": " + write_error_);
  view_.ShowMessage(messages_.WriteFailed(local_name));
}

std::optional<GzMemBuffer> UpdaterEngine::FetchExpanded(const QueueEntry& entry,
                                                        const std::filesystem::path& target) {
  // The image is expanded ahead while it arrives, so that little is left once it is complete.
  GzMemExpansion expansion;
  FetchToStream(entry.remote_name, DownloadBuffer, &expansion);
  if (!Downloaded) return std::nullopt;
  MakeFoldersOfMapped(target);
  expansion.SetMessagePump([this] { LetMessagesRunWhileInstalling(); });
  try {
    return expansion.Finish(DownloadBuffer.data(), DownloadBuffer.size());
  } catch (const Error& error) {
    expand_error_ = error.what();
    outcome_ = RunOutcome::kExpandFailed;
    throw;
  }
}

UpdaterEngine::InstallResult UpdaterEngine::InstallGzipFile(const QueueEntry& entry,
                                                            const std::filesystem::path& target) {
  const std::optional<GzMemBuffer> expanded = FetchExpanded(entry, target);
  if (!expanded) return {InstallResult::kNotDownloaded, {}};
  return Written(WriteBufferToMappedFile(target, expanded->view()));
}

UpdaterEngine::InstallResult UpdaterEngine::InstallRawFile(const QueueEntry& entry,
                                                           const std::filesystem::path& target) {
  MakeFoldersOfMapped(target);
  FetchToStream(entry.remote_name, DownloadBuffer);
  if (!Downloaded) return {InstallResult::kNotDownloaded, {}};
  return Written(WriteBufferToMappedFile(target, DownloadBuffer));
}

UpdaterEngine::InstallResult UpdaterEngine::InstallArchive(const QueueEntry& entry,
                                                           const std::filesystem::path& target) {
  const std::optional<GzMemBuffer> expanded = FetchExpanded(entry, target);
  if (!expanded) return {InstallResult::kNotDownloaded, {}};
  ArchiveBuffer.assign(expanded->view());
  // A refused directory writes nothing; a member that cannot be written fails the entry. Up to
  // a hundred files are written: messages run between them. The members come from the expanded
  // image, which no handler run meanwhile can reach.
  const UnpackResult unpacked =
      UnpackArchive(expanded->view(), [this] { LetMessagesRunWhileInstalling(); });
  if (unpacked.ok()) return {};
  return {InstallResult::kNotWritten, DescribeProblem(unpacked.problems.front())};
}

void UpdaterEngine::LetMessagesRunWhileInstalling() {
  PumpMessages();
  if (ahead_) ahead_->Plan(turn_);
}

void UpdaterEngine::ApplyEntry(const QueueEntry& entry) {
  WriteFailed = false;
  EntryDone = false;
  if (!IsKnownMarker(entry.marker))
    return;  // nothing is done; the caller treats it as a failed download

  // A name that would leave the game folder is never written; it fails like a locked file.
  if (!IsConfinedName(entry.local_name)) {
    ReportWriteFailure(entry.local_name, "the name would leave the game folder");
    EntryDone = true;
    return;
  }
  // Resolved once: folders created by the install step keep the spelling it chose.
  const std::filesystem::path target = MapPath(ProgramFolder() + entry.local_name);
  InstallResult result;
  if (std::optional<InstallResult> patched = InstallFromPatch(entry, target)) {
    result = std::move(*patched);
  } else if (entry.marker == "E") {
    result = InstallGzipFile(entry, target);
  } else if (entry.marker == "O") {
    result = InstallRawFile(entry, target);
  } else {
    result = InstallArchive(entry, target);
  }
  if (result.outcome == InstallResult::kNotDownloaded) return;
  // A file that could not be written must not be recorded as installed.
  if (result.outcome == InstallResult::kInstalled && !RecordEntry(entry)) {
    result = {InstallResult::kNotWritten, "the record has no line at its position"};
  }
  if (result.outcome == InstallResult::kNotWritten) {
    ReportWriteFailure(entry.local_name, std::move(result.reason));
  }
  EntryDone = true;
}

}  // namespace veyra
