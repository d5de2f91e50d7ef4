#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "updater/engine/window_state.h"

namespace veyra {

class LineDialogModel;

// How far the main pass has come, for views that show the whole pass besides the current file.
struct PassProgress {
  size_t entries_total = 0;   // queue entries the pass downloads
  size_t entries_done = 0;    // of those, the ones applied
  int64_t bytes_done = 0;     // bytes of the downloads that were taken for their entries
  int64_t current_bytes = 0;  // bytes of the download under way for the current entry
};

// What the update run asks of the window around it. The Qt window implements it with real
// dialogs; the headless updater and the tests implement it with scripts. Texts are byte texts in
// the display language. The view learns everything it draws from these calls and never reads
// the engine's fields; it forwards the player's actions to the engine's handlers.
class UpdaterView {
 public:
  virtual ~UpdaterView() = default;

  // A modal information box whose caption is the application title.
  virtual void ShowMessage(const std::string& text) = 0;
  // One line for the support log (never shown to the player): English, names as byte texts.
  virtual void Log(const std::string& /*line*/) {}
  // A modal Yes/No question (question icon) whose caption is the application title; true only
  // when the answer is Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
  // Shows the network line dialog modally; returns once the player has confirmed a line (the
  // view calls dialog.Confirm()).
  virtual void RunLineDialog(LineDialogModel& dialog) = 0;
  // Reloads the news page index2.html.
  virtual void ReloadPage() {}
  // Hides the updater window (it stays alive until CloseWindow).
  virtual void HideWindow() {}
  // Closes the updater window. The view runs the engine's FormClose as part of closing.
  virtual void CloseWindow() = 0;
  // Ends the process at once (the window closed while a connection is still open).
  virtual void EndProcess() {}
  // Asks the application to terminate once the running work has returned to the message loop.
  virtual void Terminate() {}
  // The window state changed and may be redrawn; `stage` is the run's UpdateState.
  virtual void StateChanged(const UpdaterWindowState& /*window*/, UpdateStage /*stage*/) {}
  // The main pass moved on: a file's bytes arrived or an entry was applied.
  virtual void PassProgressChanged(const PassProgress& /*progress*/) {}
  // Pixel width of a text in the progress label's font, and the window's client width; both
  // decide where labels are centred.
  virtual int ProgressTextWidth(std::string_view text) const {
    return 8 * static_cast<int>(text.size());
  }
  virtual int ClientWidth() const { return 620; }
};

}  // namespace veyra
