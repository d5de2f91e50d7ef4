#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_status.h"
#include "platform/folder_lock.h"
#include "updater/engine/downloads_ahead.h"
#include "updater/engine/kept_downloads.h"
#include "updater/engine/line_order.h"
#include "updater/engine/login_command.h"
#include "updater/engine/messages.h"
#include "updater/engine/set_signature.h"
#include "updater/engine/updater_view.h"
#include "updater/engine/window_state.h"
#include "updater/gzip/gzmem_expansion.h"
#include "updater/http/arriving_body.h"
#include "updater/http/http_client.h"
#include "updater/records/lines.h"
#include "updater/records/update_rule.h"

namespace veyra {

// How the last step of the run ended, for callers that report it (the headless updater's exit
// status); the window itself only shows the texts.
enum class RunOutcome {
  kNotStarted,
  kInitFailed,       // web0.dat unreadable
  kNoServer,         // no server delivered the update list
  kExitRequested,    // the player left during the server search
  kWaitingForStart,  // list received, entries queued, main pass not yet run
  kNothingToUpdate,  // nothing queued but page entries
  kCompleted,        // the main pass applied every entry
  kDownloadFailed,   // a download of the main pass failed
  kWriteFailed,      // a file could not be written
  kExpandFailed,     // a downloaded file failed to expand
  kFolderBusy,       // another updater holds the game folder
};

// Whether an entry's marker is one the updater installs ("E", "O" or "C").
bool IsKnownMarker(const std::string& marker);

// The update run of the updater window, without any window: it drives the window state, talks
// to the update server and writes the game folder. All work runs on the caller's thread; every
// loop lets pending messages run (PumpMessages), so the window's handlers may run nested inside
// a request. The flags that keep those nested handlers apart carry the names the window uses.
class UpdaterEngine {
 public:
  UpdaterEngine(UpdaterView& view, std::string language_code);
  ~UpdaterEngine();
  UpdaterEngine(const UpdaterEngine&) = delete;
  UpdaterEngine& operator=(const UpdaterEngine&) = delete;

  // Window creation: disarms the driver, takes the login parameters from the program's
  // arguments (the ones after the program name), makes the program folder the current folder,
  // creates the buffers and arms the driver.
  void FormCreate(const std::vector<std::string>& program_arguments = {});
  // The driver: on the first sizing after creation, locks the game folder (LockGameFolder),
  // asks for a line, finds a server, builds the queue and runs the page pass.
  void FormResize();
  // Takes the game folder's lock for the rest of the engine's life, waiting up to the seconds
  // set with SetFolderLockWait, and clears what killed runs left behind. When another updater
  // holds it: shows the folder-busy message, closes the window and returns false. True at once
  // when the lock is held already; a folder that cannot even be opened runs unlocked and fails
  // later as usual.
  bool LockGameFolder();
  void SetFolderLockWait(int seconds) { folder_lock_wait_seconds_ = seconds; }
  // The page pass: applies the news page entries at once and saves the record.
  void Button6Click();
  // The main pass: applies every queued entry. A gzip failure leaves it as veyra::Error.
  void Button1Click();
  // The start picture: starts the main pass only while Button1 is enabled.
  void StartPictureClicked();
  // Closing: saves the record unless saved already or forbidden, frees the lists.
  void FormClose();
  // The exit picture: asks the exit question; on Yes shows "please wait...", sets ExitRequested
  // and asks the application to terminate. Work already running goes on to its end.
  void Button4Click();
  // The start-game picture: hides the window, starts the login program with LoginParams in the
  // program folder (its result is not looked at) and closes the window.
  void Image3Click();
  // The update mode dialog's force update: deletes the record files, forbids saving on close and
  // asks the application to terminate. (Its cancel changes nothing and needs no call.)
  void ForceUpdateChosen();

  // Whether a complete reply holds what was asked for; a reply it refuses is a failed attempt.
  using ReplyCheck = bool (*)(const HttpReply& reply);

  // Downloads BaseUrl + remote name (RequestUrl) into `stream`; the outcome is in Downloaded. With
  // `follower`, the body is worked on while it arrives (a gzip image expanded, a patch applied;
  // restarted with each attempt), so that little is left once it is complete.
  // A body longer than `most_body_bytes` (when not negative) is a failed attempt, cut off as it
  // arrives. With a signed set, a file the statement does not name is not fetched, and a body
  // counts only when it matches its signed length and SHA-256.
  // Unless resuming is off, an attempt cut short is gone on from by the next one (and a large
  // file's bytes by the next run), proven by the server's validator; the checks stay the same.
  void FetchToStream(const std::string& remote_name, std::string& stream,
                     ArrivingBody* follower = nullptr, ReplyCheck accept = nullptr,
                     int64_t most_body_bytes = -1);
  // Downloads and installs one queue entry; outcomes in EntryDone and WriteFailed. A gzip
  // failure leaves it as veyra::Error.
  void ApplyEntry(const QueueEntry& entry);
  void ApplyEntry(const std::string& queue_line) { ApplyEntry(ParseQueueLine(queue_line)); }

  // Client events, as the window's handlers for them.
  void IdHTTP1Connected();
  void IdHTTP1Disconnected();
  void IdHTTP1WorkBegin(int64_t expected);
  void IdHTTP1Work(int64_t count);
  void IdHTTP1WorkEnd();

  UpdaterWindowState& window() { return window_; }
  const UpdaterWindowState& window() const { return window_; }
  const UpdaterMessages& messages() const { return messages_; }
  HttpClient& http() { return *http_; }
  RunOutcome outcome() const { return outcome_; }
  // The message of the last expansion failure ("data error" / "error zip format"), if any.
  const std::string& expand_error() const { return expand_error_; }
  // Why the last install step failed to write, for logs (the player's message stays fixed).
  const std::string& write_error() const { return write_error_; }
  const LoginParams& login_params() const { return login_params_; }
  // Why the last update list was refused for its signature (empty when none was).
  const std::string& signature_failure() const { return signature_failure_; }

  // Test and tool seams.
  void SetRandomPick(RandomPick pick) { random_pick_ = std::move(pick); }
  // Fixes the time-outs of every request; the lines' own time-outs in web0.dat no longer apply.
  void SetHttpTimeouts(const HttpTimeouts& timeouts);
  // How many connections the main pass may keep to the server (1 to 16). With 1 it sends one
  // request at a time over one connection; with more it downloads the following entries while
  // the current one is installed. Entries are applied in queue order either way.
  void SetConnections(int connections);
  // Whether the main pass may fetch a patch the signed statement offers in place of a changed
  // file (default on). Off, every file travels whole.
  void SetPatchesAllowed(bool allowed) { patches_allowed_ = allowed; }
  // What the patches applied in this run saved: their files' signed lengths less their own.
  int64_t patch_bytes_saved() const { return patch_bytes_saved_; }
  int patched_entries() const { return patched_entries_; }
  // How many bytes may wait, downloaded ahead of their turn (with several connections).
  void SetAheadBudget(int64_t bytes) { ahead_budget_ = bytes; }
  // The most bytes that ever waited ahead of their turn during the last main pass.
  int64_t peak_bytes_ahead() const { return peak_bytes_ahead_; }
  // Whether downloads cut short go on where they stopped (on by default). Off, every attempt is
  // the plain request and nothing is kept across runs.
  void SetResume(bool resume) { resume_downloads_ = resume; }
  // The bytes of completed downloads that resuming spared from being fetched again.
  int64_t resume_saved_bytes() const { return resume_saved_bytes_; }

  static constexpr int kDefaultConnections = 6;  // what browsers open per server
  static constexpr int kMostConnections = 16;
  static constexpr int64_t kDefaultAheadBudget = int64_t{64} << 20;

  // State with the names the window and its dialogs share.
  std::string BaseUrl;
  UpdateStage UpdateState = UpdateStage::kNoListYet;
  bool Downloaded = false;
  bool EntryDone = false;
  bool WriteFailed = false;
  std::string DownloadBuffer;
  std::string ArchiveBuffer;
  bool ListsExist = false;
  LineList ServerList;
  LineList LocalList;
  LineList UpdateQueue;  // queue lines; parsed once into queue_entries_ beside them
  bool DriverArmed = false;
  bool ExitRequested = false;
  bool Connected = false;
  bool StateSaved = false;
  bool KeepState = true;
  bool PageUpdated = false;
  bool PagePassRunning = false;
  LineList LineOrder;  // the server order of the current search

 private:
  // What one install step did with its entry.
  struct InstallResult {
    enum Outcome { kInstalled, kNotDownloaded, kNotWritten } outcome = kInstalled;
    std::string reason;  // for kNotWritten: why, in English
  };
  InstallResult InstallGzipFile(const QueueEntry& entry, const std::filesystem::path& target);
  InstallResult InstallRawFile(const QueueEntry& entry, const std::filesystem::path& target);
  InstallResult InstallArchive(const QueueEntry& entry, const std::filesystem::path& target);
  // Installs an "E" or "O" entry from a signed patch against the player's file, when the
  // statement offers one for exactly that file; nullopt when it does not, or the patch fails in
  // any way, and the whole file is to be fetched instead.
  std::optional<InstallResult> InstallFromPatch(const QueueEntry& entry,
                                                const std::filesystem::path& target);
  // The patch whose base the player's file seems to be (by its length), for the downloads
  // ahead; nullptr for none.
  const SignedPatch* PlannedPatch(const QueueEntry& entry) const;
  // The turn's download ahead becomes the whole file again.
  void FetchWholeFileInstead(const QueueEntry& entry);
  // Lets messages run in the middle of installing an entry, and the downloads ahead go on.
  void LetMessagesRunWhileInstalling();
  static InstallResult Written(const FileStatus& written);
  // Downloads a gzip image into DownloadBuffer, makes the target's folders and expands it;
  // nullopt when the download failed. An expansion failure leaves as veyra::Error.
  std::optional<GzMemBuffer> FetchExpanded(const QueueEntry& entry,
                                           const std::filesystem::path& target);
  bool RecordEntry(const QueueEntry& entry);

  void Redraw() { view_.StateChanged(window_, UpdateState); }
  void SetStatus(std::string text);
  void ShowRemainingCount();
  void UpdateProgressLabel(int64_t count);
  bool TryServers();
  // With pinned keys: fetches the list's signed statement from the same server and accepts the
  // list only with it. True when the list may be used.
  bool ListIsSigned();
  void BuildQueueFromDownload();
  // Removes the downloads kept by earlier runs for files this run does not fetch.
  void RemoveUnwantedKeptDownloads();
  void MoveAppliedName(const std::string& local_name);
  void ReportWriteFailure(const std::string& local_name, std::string reason);
  std::string RecordPath() const;
  // Saves LocalList to the record; a failure is reported as the record's write failure and
  // becomes the run's outcome.
  void SaveRecord();
  // The downloads of the main pass with several connections; none with one.
  std::unique_ptr<DownloadsAhead> StartDownloadsAhead();
  HttpEvents ProgressEvents();
  // One attempt; a body longer than `most_body_bytes` (when not negative) is cut off as failed.
  HttpReply FetchOnce(const std::string& url, const HttpClient::BodyObserver& on_body,
                      int64_t most_body_bytes, BodyResume* resume);
  // After an attempt: an incomplete body is kept in `resume` (and for a large file in the game
  // folder) for the next attempt; anything else is forgotten.
  void KeepOrForget(const std::string& remote_name, bool whole, std::string& body,
                    BodyResume& resume);

  UpdaterView& view_;
  UpdaterMessages messages_;
  UpdaterWindowState window_;
  std::unique_ptr<HttpClient> http_;
  RandomPick random_pick_;
  bool timeouts_fixed_ = false;
  HttpTimeouts timeouts_;
  HttpTrust trust_;  // whom https lines trust: the game folder's CA bundle or the system's store
  int connections_ = kDefaultConnections;
  int64_t ahead_budget_ = kDefaultAheadBudget;
  int64_t peak_bytes_ahead_ = 0;
  int open_connections_ = 0;
  std::unique_ptr<DownloadsAhead> ahead_;  // only while a main pass runs with several connections
  // The last pass's connections, kept open after it as one connection would be, so that closing
  // the window finds them open just the same.
  std::unique_ptr<DownloadsAhead> kept_connections_;
  size_t turn_ = 0;  // the queue entry the main pass is applying
  PassProgress pass_progress_;
  RunOutcome outcome_ = RunOutcome::kNotStarted;
  std::string expand_error_;
  std::string write_error_;
  std::vector<QueueEntry> queue_entries_;
  SetSignature signature_;
  bool resume_downloads_ = true;
  int64_t resume_saved_bytes_ = 0;
  KeptDownloads kept_downloads_;
  std::string signature_failure_;
  bool patches_allowed_ = true;
  int64_t patch_bytes_saved_ = 0;
  int patched_entries_ = 0;
  LoginParams login_params_;
  int folder_lock_wait_seconds_ = 0;
  std::unique_ptr<FolderLock> folder_lock_;
};

}  // namespace veyra
