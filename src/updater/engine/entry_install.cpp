// Downloading one file and installing one queue line.
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/pump.h"
#include "updater/engine/updater_engine.h"
#include "updater/gzip/gzmem.h"
#include "updater/records/archive.h"
#include "updater/records/files.h"
#include "updater/records/update_rule.h"

namespace veyra {
namespace {

constexpr int kFetchAttempts = 3;

}  // namespace

void UpdaterEngine::FetchToStream(const std::string& remote_name, std::string& stream,
                                  GzMemExpansion* expansion) {
  Downloaded = false;
  HttpClient::BodyObserver expand_ahead;
  if (expansion != nullptr) {
    expand_ahead = [expansion](std::string_view body) {
      expansion->Advance(body.data(), body.size());
    };
  }
  for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
    PumpMessages();
    if (expansion != nullptr) expansion->Restart();
    HttpReply reply = http_->Get(BaseUrl + remote_name, expand_ahead);
    // A body counts only when it is exactly as long as announced; a missing or non-decimal
    // Content-Length announces 0, so such a reply delivers only an empty file.
    if (!reply.ok || static_cast<int64_t>(reply.body.size()) != reply.content_length) continue;
    Downloaded = true;
    if (UpdateState == 0) UpdateState = 1;
    stream = std::move(reply.body);
    return;
  }
}

bool UpdaterEngine::Record(bool changed, size_t position, const std::string& local_name,
                           const std::string& version) {
  std::string line = local_name + " " + version;
  if (!changed) {
    LocalList.push_back(std::move(line));
    return true;
  }
  if (position >= LocalList.size()) return false;
  LocalList[position] = std::move(line);
  return true;
}

void UpdaterEngine::ReportWriteFailure(const std::string& local_name) {
  WriteFailed = true;
  view_.ShowMessage(messages_.WriteFailed(local_name));
}

void UpdaterEngine::ApplyEntry(const std::string& queue_line) {
  WriteFailed = false;
  EntryDone = false;
  const QueueEntry entry = ParseQueueLine(queue_line);
  const bool known_marker = entry.marker == "E" || entry.marker == "O" || entry.marker == "C";
  if (!known_marker) return;  // nothing is done; the caller treats it as a failed download

  // A name that would leave the game folder is never written; it fails like a locked file.
  if (!IsConfinedName(entry.local_name)) {
    ReportWriteFailure(entry.local_name);
    EntryDone = true;
    return;
  }
  // Resolved once: folders created below keep the spelling it chose.
  const std::filesystem::path target = MapPath(ProgramFolder() + entry.local_name);
  auto record = [&] {
    return Record(entry.changed, entry.record_position, entry.local_name, entry.version);
  };
  GzMemExpansion expansion;
  auto expand = [&](const std::string& bytes) {
    try {
      return expansion.Finish(bytes.data(), bytes.size());
    } catch (const Error& error) {
      expand_error_ = error.what();
      outcome_ = RunOutcome::kExpandFailed;
      throw;
    }
  };

  if (entry.marker == "E") {
    FetchToStream(entry.remote_name, DownloadBuffer, &expansion);
    if (!Downloaded) return;
    MakeFoldersOfMapped(target);
    GzMemBuffer expanded = expand(DownloadBuffer);
    if (!WriteBufferToMappedFile(target, expanded.view()).ok() || !record()) {
      ReportWriteFailure(entry.local_name);
    }
  } else if (entry.marker == "O") {
    MakeFoldersOfMapped(target);
    FetchToStream(entry.remote_name, DownloadBuffer);
    if (!Downloaded) return;
    // A file that could not be written must not be recorded as installed.
    if (!WriteBufferToMappedFile(target, DownloadBuffer).ok() || !record()) {
      ReportWriteFailure(entry.local_name);
    }
  } else {
    FetchToStream(entry.remote_name, DownloadBuffer, &expansion);
    if (!Downloaded) return;
    MakeFoldersOfMapped(target);
    {
      GzMemBuffer expanded = expand(DownloadBuffer);
      ArchiveBuffer.assign(expanded.view());
    }
    // A refused directory writes nothing; a member that cannot be written fails the entry.
    if (!UnpackArchive(ArchiveBuffer).ok() || !record()) {
      ReportWriteFailure(entry.local_name);
    }
  }
  EntryDone = true;
}

}  // namespace veyra
