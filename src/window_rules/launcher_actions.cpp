#include "window_rules/launcher_actions.h"

#include "platform/pump.h"
#include "window_rules/launcher_rules.h"

namespace veyra::launcher {

void ButtonDown(LauncherWindowPort& window, int button) {
  window.ShowButtonState(button, ButtonState::kPressed);
  Sleep(static_cast<int>(kPressedPause.count()));
}

void ButtonUp(LauncherWindowPort& window, int button) {
  window.ShowButtonState(button, ButtonState::kNormal);
}

void UpdateClick(LauncherWindowPort& window) {
  ButtonDown(window, kUpdateButton);
  ButtonUp(window, kUpdateButton);
  // The updater window is the run's last window: whatever it did, the program ends with it.
  if (window.RunUpdaterWindow()) window.Terminate();
}

void WebClick(LauncherWindowPort& window, bool traditional_locale) {
  ButtonDown(window, kWebButton);
  ButtonUp(window, kWebButton);
  if (WebButtonWindow(traditional_locale) == WebWindow::kAgreement) {
    window.ShowAgreementWindow();
  } else {
    window.ShowHomePageWindow();
  }
}

void SettingsClick(LauncherWindowPort& window) {
  ButtonDown(window, kSettingsButton);
  ButtonUp(window, kSettingsButton);
  window.ShowSettingsWindow();
}

void ExitClick(LauncherWindowPort& window) {
  // The pressed picture stays until the window is gone.
  ButtonDown(window, kExitButton);
  window.CloseLauncher();
}

}  // namespace veyra::launcher
