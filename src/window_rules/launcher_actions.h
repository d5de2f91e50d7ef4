#pragma once

#include "window_rules/launcher_layout.h"

namespace veyra::launcher {

// What the launcher's button rules ask of a launcher window; each window layer implements it.
class LauncherWindowPort {
 public:
  virtual ~LauncherWindowPort() = default;

  // Shows button `button`'s picture for `state` (the other one hidden) and repaints at once.
  virtual void ShowButtonState(int button, ButtonState state) = 0;
  // Creates the updater window, places it kUpdaterWindowRaise pixels above the launcher and
  // shows it modally; returns once it has closed. False when there was none to show (no
  // updater window is made: the button then gives only its feedback).
  virtual bool RunUpdaterWindow() = 0;
  virtual void ShowAgreementWindow() = 0;  // not modally
  virtual void ShowHomePageWindow() = 0;   // modally
  virtual void ShowSettingsWindow() = 0;   // not modally; it reloads its settings
  // Closes the launcher, the main window: the program ends with it.
  virtual void CloseLauncher() = 0;
  // Asks the application to terminate.
  virtual void Terminate() = 0;
};

// ButtonDown: the pressed picture, repainted at once, then a pause of kPressedPause on this
// thread (the window does not respond meanwhile). ButtonUp: the normal picture again.
void ButtonDown(LauncherWindowPort& window, int button);
void ButtonUp(LauncherWindowPort& window, int button);

// The four buttons' actions. Update ends the program as soon as the updater window closes,
// whatever it did (and does nothing more when no updater window was made); web opens the agreement
// window on a Traditional-Chinese system
// (`traditional_locale`) and the home page window on any other; exit keeps its pressed picture
// until the window is gone.
void UpdateClick(LauncherWindowPort& window);
void WebClick(LauncherWindowPort& window, bool traditional_locale);
void SettingsClick(LauncherWindowPort& window);
void ExitClick(LauncherWindowPort& window);

}  // namespace veyra::launcher
