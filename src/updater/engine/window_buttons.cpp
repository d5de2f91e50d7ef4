// The updater window's own buttons that end its life: the exit confirmation and the start of the
// game.
#include "platform/paths.h"
#include "updater/engine/login_command.h"
#include "updater/engine/updater_engine.h"

namespace veyra {

void UpdaterEngine::Button4Click() {
  if (!view_.AskYesNo(messages_.ExitQuestion())) return;
  SetStatus(messages_.PleaseWait());
  ExitRequested = true;
  view_.Terminate();
}

void UpdaterEngine::Image3Click() {
  view_.HideWindow();
  const std::string folder = ProgramFolder();
  // A missing or unstartable login program is not reported: the window closes all the same.
  StartDetached(LoginProgramPath(folder), BuildLoginCommandLine(folder, login_params_), folder);
  view_.CloseWindow();
}

}  // namespace veyra
