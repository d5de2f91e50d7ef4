#include "updater/headless/headless_run.h"

#include "platform/error.h"
#include "platform/paths.h"
#include "text/language.h"
#include "updater/dialogs/update_mode.h"
#include "updater/engine/updater_engine.h"
#include "updater/headless/console_view.h"
#include "updater/headless/terminal_text.h"

namespace veyra {
namespace {

int ExitStatusOf(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kCompleted:
    case RunOutcome::kNothingToUpdate:
      return kExitUpToDate;
    case RunOutcome::kInitFailed:
      return kExitInitFailed;
    case RunOutcome::kNoServer:
      return kExitNoServer;
    case RunOutcome::kDownloadFailed:
      return kExitDownloadFailed;
    case RunOutcome::kWriteFailed:
      return kExitWriteFailed;
    case RunOutcome::kExpandFailed:
      return kExitExpandFailed;
    case RunOutcome::kFolderBusy:
      return kExitFolderBusy;
    default:
      return kExitOtherFailure;
  }
}

}  // namespace

int RunHeadlessUpdate(const HeadlessOptions& options, std::ostream& out,
                      bool interactive_terminal) {
  SetProgramFolder(options.folder ? *options.folder : ExecutableFolder());
  const std::string language = options.language ? *options.language : GetLanguageCode();

  ConsoleView view(out, language, options.line, interactive_terminal);
  UpdaterEngine engine(view, language);
  view.Attach(engine);
  engine.SetConnections(options.connections);
  engine.SetPatchesAllowed(options.patches);
  engine.SetResume(options.resume);
  if (options.timeout_seconds) {
    HttpTimeouts timeouts;
    timeouts.idle_ms = *options.timeout_seconds * 1000;
    engine.SetHttpTimeouts(timeouts);
  }
  engine.SetFolderLockWait(options.wait_seconds);

  if (options.force_complete) {
    // The record is deleted only by the updater that holds the game folder.
    if (!engine.LockGameFolder()) {
      view.FinishProgressLine();
      return kExitFolderBusy;
    }
    bool keep_state = true;  // this run starts afresh, so the cleared flag has no later reader
    ForceCompleteUpdate(keep_state);
  }

  try {
    engine.FormCreate(options.game_parameters);
    engine.FormResize();
    if (engine.outcome() == RunOutcome::kWaitingForStart) engine.StartPictureClicked();
  } catch (const std::exception& error) {
    view.FinishProgressLine();
    out << EscapeControls(error.what()) << "\n";
    return engine.outcome() == RunOutcome::kExpandFailed ? kExitExpandFailed : kExitOtherFailure;
  }

  const int status = ExitStatusOf(engine.outcome());
  if (engine.resume_saved_bytes() > 0) {
    view.FinishProgressLine();
    out << "resuming saved " << engine.resume_saved_bytes() << " bytes\n";
  }
  if (!view.window_closed()) {
    if (options.start_game && engine.window().Image3Visible) {
      engine.Image3Click();  // closes the window
    } else {
      engine.FormClose();
    }
  }
  view.FinishProgressLine();
  if (engine.patched_entries() > 0) {
    out << "patches: " << engine.patched_entries() << " files updated from patches, "
        << engine.patch_bytes_saved() << " bytes not downloaded\n";
  }
  return status;
}

}  // namespace veyra
