// The update run: creation, the driver with the server search, the two passes and closing.
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>
#include <system_error>

#include "platform/confined_files.h"
#include "platform/error.h"
#include "platform/folder_names.h"
#include "platform/memory_policy.h"
#include "platform/paths.h"
#include "platform/pump.h"
#include "platform/support_log.h"
#include "updater/dialogs/line_dialog_model.h"
#include "updater/dialogs/update_mode.h"
#include "updater/engine/update_list_reply.h"
#include "updater/engine/updater_engine.h"
#include "updater/http/http_target.h"
#include "updater/records/files.h"
#include "updater/records/update_rule.h"
#include "window_rules/updater_window_layout.h"

namespace veyra {
namespace {

// A game folder that ships its own CA bundle trusts only those CAs for its https lines.
HttpTrust GameFolderTrust() {
  const std::filesystem::path bundle = MapPath(ProgramFolder() + kCaBundleFile);
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(bundle, ignored)) return {};
  return HttpTrust{bundle.string()};
}

}  // namespace

UpdaterEngine::UpdaterEngine(UpdaterView& view, std::string language_code)
    : view_(view),
      messages_(std::move(language_code)),
      http_(std::make_unique<HttpClient>()),
      random_pick_(ClockSeededRandomPick()) {
  KeepLargeBlocksForReuse();
  // Names from the lists are written in the code page of the display language.
  SetFileNameLanguage(messages_.code());
  http_->SetEvents(ProgressEvents());
}

UpdaterEngine::~UpdaterEngine() {
  // Closing the connections raises disconnect events; they must not reach a half-destroyed engine.
  kept_connections_.reset();
  http_->SetEvents({});
}

void UpdaterEngine::SetHttpTimeouts(const HttpTimeouts& timeouts) {
  http_->SetTimeouts(timeouts);
  timeouts_ = timeouts;
  timeouts_fixed_ = true;
}

void UpdaterEngine::SetConnections(int connections) {
  connections_ = std::clamp(connections, 1, kMostConnections);
}

std::string UpdaterEngine::RecordPath() const {
  return ProgramFolder() + "update2.dat";
}

void UpdaterEngine::SaveRecord() {
  const FileStatus saved = SaveListText(LocalList, RecordPath());
  if (saved.ok()) return;
  outcome_ = RunOutcome::kWriteFailed;
  ReportWriteFailure("update2.dat", saved.Describe());
}

void UpdaterEngine::SetStatus(std::string text) {
  window_.Label3.text = std::move(text);
  window_.Label3.left = updater_window::kLabel3At.left;
  window_.Label3.top = updater_window::kLabel3At.top;
  Redraw();
}

void UpdaterEngine::ShowRemainingCount() {
  SetStatus(messages_.FilesRemaining(window_.ListBox1.size()));
}

void UpdaterEngine::FormCreate(const std::vector<std::string>& program_arguments) {
  DriverArmed = false;
  login_params_ = LoginParamsFrom(program_arguments);
  std::error_code ignored;
  std::filesystem::current_path(MapPath(ProgramFolder()), ignored);
  DownloadBuffer.clear();
  ArchiveBuffer.clear();
  DriverArmed = true;
}

void UpdaterEngine::FormResize() {
  if (!DriverArmed) return;
  DriverArmed = false;
  if (!LockGameFolder()) return;

  LineDialogModel dialog(messages_.code());
  if (!dialog.Web0Read()) {
    outcome_ = RunOutcome::kInitFailed;
    view_.ShowMessage(messages_.InitFailed());
    return;
  }
  view_.RunLineDialog(dialog);
  window_.ListBox1.clear();
  LineOrder = BuildLineOrder(dialog.ListBox2(), static_cast<int>(dialog.ListBox1().size()),
                             dialog.SelectedIndex(), random_pick_);
  SetStatus(messages_.Connecting());

  if (!TryServers()) return;
  if (UpdateState == UpdateStage::kNoListYet) {
    outcome_ = RunOutcome::kNoServer;
    SetStatus(messages_.ServerBusy());
    view_.ShowMessage(window_.Label3.text);
    return;
  }

  LineOrder.clear();
  window_.Gauge1.SetProgress(0);
  window_.Label4.text = "0%";
  window_.Label4.left = (view_.ClientWidth() - view_.ProgressTextWidth("0%")) / 2;

  std::error_code ignored;
  if (!std::filesystem::exists(MapPath(RecordPath()), ignored)) {
    CreateFileFromBuffer(RecordPath(), std::string(kRecordHeader) + "\r\n");
  }
  BuildQueueFromDownload();
  RemoveUnwantedKeptDownloads();

  if (!window_.ListBox1.empty()) {
    // The main pass may start only once the page pass has returned: both share the download
    // buffers and the outcome flags, and the page pass lets messages run while it downloads.
    window_.Button1Enabled = false;
    Button6Click();
    window_.Button1Enabled = true;
    outcome_ = RunOutcome::kWaitingForStart;
  } else {
    window_.Button1Enabled = false;
    window_.Label3.visible = true;
    SetStatus(messages_.NothingToUpdate());
    StateSaved = true;
    outcome_ = RunOutcome::kNothingToUpdate;  // unless the page pass cannot save the record
    Button6Click();
    window_.Image3Visible = true;
    UpdateState = UpdateStage::kNothingToUpdate;
  }
  Redraw();
}

bool UpdaterEngine::LockGameFolder() {
  if (folder_lock_ && folder_lock_->held()) return true;
  folder_lock_ = std::make_unique<FolderLock>(ProgramFolder(), folder_lock_wait_seconds_);
  if (folder_lock_->busy()) {
    outcome_ = RunOutcome::kFolderBusy;
    view_.ShowMessage(messages_.FolderBusy());
    view_.CloseWindow();
    return false;
  }
  // A run killed in the middle of replacing a file left its temporary file; no other updater
  // can be writing here now.
  if (folder_lock_->held()) RemoveLeftoverTemporaryFiles();
  return true;
}

bool UpdaterEngine::TryServers() {
  signature_.Load();
  trust_ = GameFolderTrust();
  http_->SetTrust(trust_);
  int i = -1;
  bool second_try = false;
  // Each line is tried twice, the last one before the closing line once; the bound only guards
  // against a line order without a closing line.
  for (size_t tries = 0; tries < 2 * LineOrder.size() + 1; ++tries) {
    PumpMessages();
    if (second_try) {
      second_try = false;
    } else {
      ++i;
      second_try = true;
    }
    const auto index = static_cast<size_t>(i);
    // A web0.dat without any server line has nothing to try.
    if (index >= LineOrder.size() || LineOrder[index] == "end") break;
    const HostInfo host = ParseHostLine(LineOrder[index]);
    window_.Label3.visible = true;
    window_.StatusBar1 = "Connected Server" + std::to_string(i);
    Redraw();
    if (ExitRequested) {
      outcome_ = RunOutcome::kExitRequested;
      return false;
    }
    BaseUrl = host.address;
    // The line that delivers the list keeps its stall limit for the rest of the run.
    if (!timeouts_fixed_) {
      HttpTimeouts timeouts;
      timeouts.idle_ms = StallLimitMs(host.timeout);
      http_->SetTimeouts(timeouts);
      timeouts_ = timeouts;
    }
    try {
      FetchToStream("update3.dat", DownloadBuffer, nullptr, IsUpdateListReply);
      if (UpdateState == UpdateStage::kListReceived && !ListIsSigned()) {
        UpdateState = UpdateStage::kNoListYet;
      }
    } catch (...) {
      // A failure of one server only sends us on to the next.
    }
    if (UpdateState == UpdateStage::kListReceived) break;
    if (index + 1 >= LineOrder.size() || LineOrder[index + 1] == "end") break;
  }
  return true;
}

bool UpdaterEngine::ListIsSigned() {
  if (!signature_.required()) return true;
  std::string statement;
  FetchToStream(kStatementFile, statement, nullptr, nullptr, kStatementMaxBytes);
  StatementCheck check;
  if (Downloaded) {
    check = signature_.Accept(statement, DownloadBuffer, std::time(nullptr));
  } else {
    check.failure = std::string(kStatementFile) + " was not delivered";
  }
  if (!check.ok) {
    signature_failure_ = check.failure;
    view_.Log("update list of " + BaseUrl + " refused: " + signature_failure_);
    return false;
  }
  signature_failure_.clear();
  const FileStatus recorded = signature_.RecordSerial();
  if (!recorded.ok()) {
    view_.Log(std::string("cannot write ") + kAcceptedSerialFile + ": " + recorded.Describe());
  }
  return true;
}

void UpdaterEngine::BuildQueueFromDownload() {
  ServerList = SplitLines(DownloadBuffer);
  LocalList.clear();
  UpdateQueue.clear();
  ListsExist = true;
  if (!LoadList(LocalList, RecordPath(), kRecordMaxBytes))
    throw Error("cannot read " + RecordPath());
  QueueResult result = BuildQueue(ServerList, LocalList);
  UpdateQueue = std::move(result.queue);
  queue_entries_.clear();
  queue_entries_.reserve(UpdateQueue.size());
  for (const std::string& line : UpdateQueue) queue_entries_.push_back(ParseQueueLine(line));
  window_.ListBox1 = std::move(result.names_to_show);
}

void UpdaterEngine::RemoveUnwantedKeptDownloads() {
  // Only the lock holder may: another updater could be keeping them.
  if (!folder_lock_ || !folder_lock_->held()) return;
  std::set<std::string> wanted;
  for (const QueueEntry& entry : queue_entries_) wanted.insert(entry.remote_name);
  kept_downloads_.RemoveAllBut(wanted);
}

void UpdaterEngine::Button6Click() {
  const FolderNamesScope folder_names;
  PageUpdated = false;
  PagePassRunning = true;
  const RunOutcome before = outcome_;
  try {
    window_.Gauge1.visible = true;
    window_.Label3.visible = true;
    Redraw();
    for (size_t i = 0; i < queue_entries_.size(); ++i) {
      PumpMessages();
      if (i >= queue_entries_.size()) break;  // the window closed inside the pump
      const QueueEntry entry = queue_entries_[i];
      if (IsPageEntry(entry)) {
        PageUpdated = true;
        ApplyEntry(entry);
      }
    }
    SaveRecord();
    if (PageUpdated) view_.ReloadPage();
  } catch (const std::exception& error) {
    // The page is a nicety: any failure here ends the pass quietly, the record unsaved, and
    // leaves the run's outcome as it was; only whoever helps the player hears of it.
    if (outcome_ == RunOutcome::kExpandFailed) outcome_ = before;
    WriteSupportLog(std::string("page update failed: ") + error.what());
  } catch (...) {
    if (outcome_ == RunOutcome::kExpandFailed) outcome_ = before;
    WriteSupportLog("page update failed");
  }
  PagePassRunning = false;
  if (!window_.ListBox1.empty()) ShowRemainingCount();
}

void UpdaterEngine::StartPictureClicked() {
  if (window_.Button1Enabled) Button1Click();
}

void UpdaterEngine::MoveAppliedName(const std::string& local_name) {
  // Names move by the entry actually applied, so that a pass started again after a write
  // failure (which applies the first entries once more) keeps both lists truthful.
  auto& pending = window_.ListBox1;
  for (auto it = pending.begin(); it != pending.end(); ++it) {
    if (*it == local_name) {
      window_.ListBox2.push_back(*it);
      pending.erase(it);
      return;
    }
  }
}

// The transfer events of every connection, raised on the window as its progress.
HttpEvents UpdaterEngine::ProgressEvents() {
  HttpEvents events;
  events.connected = [this] { IdHTTP1Connected(); };
  events.disconnected = [this] { IdHTTP1Disconnected(); };
  events.work_begin = [this](int64_t expected) { IdHTTP1WorkBegin(expected); };
  events.work = [this](int64_t count) { IdHTTP1Work(count); };
  events.work_end = [this] { IdHTTP1WorkEnd(); };
  return events;
}

std::unique_ptr<DownloadsAhead> UpdaterEngine::StartDownloadsAhead() {
  if (connections_ <= 1) return nullptr;
  std::vector<std::string> urls(queue_entries_.size());
  // With a signed set no body may grow past its signed length, ahead of its turn either.
  std::vector<int64_t> most_body_bytes(queue_entries_.size(), -1);
  for (size_t i = 0; i < queue_entries_.size(); ++i) {
    const QueueEntry& entry = queue_entries_[i];
    const bool downloaded =
        !IsPageEntry(entry) && IsKnownMarker(entry.marker) && IsConfinedName(entry.local_name);
    // A file with kept bytes waits for its turn, where it goes on from them.
    const bool resumes = resume_downloads_ && kept_downloads_.Holds(entry.remote_name);
    if (downloaded && !resumes) urls[i] = RequestUrl(BaseUrl, entry.remote_name);
    if (const SignedDigest* digest = signature_.DigestOf(entry.remote_name)) {
      most_body_bytes[i] = digest->length;
    }
    if (const SignedPatch* patch = downloaded ? PlannedPatch(entry) : nullptr) {
      urls[i] = RequestUrl(BaseUrl, patch->remote);
      most_body_bytes[i] = patch->patch.length;
    }
  }
  // The connections kept from the list and the page, or from an earlier pass, would be more
  // than allowed.
  kept_connections_.reset();
  http_->CloseConnection();
  return std::make_unique<DownloadsAhead>(std::move(urls), connections_, ahead_budget_,
                                          ProgressEvents(), timeouts_, trust_,
                                          std::move(most_body_bytes));
}

void UpdaterEngine::Button1Click() {
  // A pass may create thousands of files in one folder; each folder is read once for it.
  const FolderNamesScope folder_names;
  if (PageUpdated) view_.ReloadPage();
  window_.Button1Enabled = false;
  window_.Gauge1.visible = true;
  window_.Label3.visible = true;
  const size_t n = queue_entries_.size();
  UpdateState = UpdateStage::kMainPassRunning;
  outcome_ = RunOutcome::kCompleted;
  pass_progress_ = PassProgress{};
  pass_progress_.entries_total = static_cast<size_t>(
      std::count_if(queue_entries_.begin(), queue_entries_.end(),
                    [](const QueueEntry& entry) { return !IsPageEntry(entry); }));
  Redraw();
  // Whatever way the pass ends, downloads still under way are dropped with it.
  ahead_ = StartDownloadsAhead();
  struct DropAhead {
    UpdaterEngine& engine;
    ~DropAhead() {
      if (!engine.ahead_) return;
      engine.peak_bytes_ahead_ = engine.ahead_->peak_bytes_ahead();
      engine.ahead_->DropDownloads();
      engine.kept_connections_ = std::move(engine.ahead_);
    }
  } drop_ahead{*this};
  for (size_t i = 0; i < n; ++i) {
    PumpMessages();
    if (!ListsExist || i >= queue_entries_.size()) return;  // the window closed inside the pump
    // A copy: handlers running inside the entry's pumps may close the window and free the queue.
    const QueueEntry entry = queue_entries_[i];
    turn_ = i;
    if (ahead_) ahead_->Plan(i);
    if (!IsPageEntry(entry)) {
      ApplyEntry(entry);  // an expansion failure leaves the pass as the reader's error
      if (!EntryDone) {
        StateSaved = true;
        outcome_ = RunOutcome::kDownloadFailed;
        view_.ShowMessage(messages_.ServerBusy());
        view_.CloseWindow();
        return;
      }
      if (WriteFailed) {
        window_.Button1Enabled = true;
        window_.Gauge1.visible = false;
        outcome_ = RunOutcome::kWriteFailed;
        break;
      }
      MoveAppliedName(entry.local_name);
      ShowRemainingCount();
      ++pass_progress_.entries_done;
      view_.PassProgressChanged(pass_progress_);
    }
    if (i == n - 1) window_.Image3Visible = true;
  }
  SaveRecord();
  StateSaved = true;
  UpdateState = UpdateStage::kMainPassEnded;
  Redraw();
}

void UpdaterEngine::ForceUpdateChosen() {
  ForceCompleteUpdate(KeepState);
  view_.Terminate();
}

void UpdaterEngine::FormClose() {
  if (!KeepState || !ListsExist) return;
  if (!StateSaved) SaveRecord();
  LocalList.clear();
  UpdateQueue.clear();
  queue_entries_.clear();
  ServerList.clear();
  ListsExist = false;
  if (Connected) view_.EndProcess();
}

}  // namespace veyra
