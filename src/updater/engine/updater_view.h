#pragma once

#include <string>
#include <string_view>

namespace veyra {

class LineDialogModel;

// What the update run asks of the window around it. The Qt window implements it with real
// dialogs; the headless updater and the tests implement it with scripts. Texts are byte texts in
// the display language.
class UpdaterView {
 public:
  virtual ~UpdaterView() = default;

  // A modal information box whose caption is the application title.
  virtual void ShowMessage(const std::string& text) = 0;
  // Shows the network line dialog modally; returns once the player has confirmed a line (the
  // view calls dialog.Confirm()).
  virtual void RunLineDialog(LineDialogModel& dialog) = 0;
  // Reloads the news page index2.html.
  virtual void ReloadPage() {}
  // Closes the updater window. The view runs the engine's FormClose as part of closing.
  virtual void CloseWindow() = 0;
  // Ends the process at once (the window closed while a connection is still open).
  virtual void EndProcess() {}
  // Asks the application to terminate once the running work has returned to the message loop.
  virtual void Terminate() {}
  // The window state changed and may be redrawn.
  virtual void StateChanged() {}
  // Pixel width of a text in the progress label's font, and the window's client width; both
  // decide where labels are centred.
  virtual int ProgressTextWidth(std::string_view text) const {
    return 8 * static_cast<int>(text.size());
  }
  virtual int ClientWidth() const { return 620; }
};

}  // namespace veyra
