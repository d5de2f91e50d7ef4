#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "ui/win32/base/picture_layer.h"
#include "ui/win32/base/window.h"
#include "window_rules/launcher_actions.h"
#include "window_rules/launcher_layout.h"

namespace veyra::win32 {

// The windows the launcher's buttons open; the program supplies them. A hook left empty (or an
// updater window factory that returns null) leaves its button with only its pressed feedback.
struct LauncherActions {
  // Creates the updater window (TForm1), running its own creation steps. UpdateClick places it
  // 105 pixels above the launcher and shows it modally.
  std::function<std::unique_ptr<Window>()> create_updater_window;
  // WebClick on a Traditional-Chinese system: shows the agreement window beside the launcher.
  std::function<void()> show_agreement_window;
  // WebClick on any other system: shows the full-screen home page window modally.
  std::function<void()> show_home_page_window;
  // SettingsClick: shows the settings window and reloads its settings.
  std::function<void()> show_settings_window;
};

// The launcher window: borderless, drawn from its background picture, with four picture buttons
// cut from the button strip. It is the program's main window: its closing ends the program.
// Presses anywhere but on a button's click area drag it (WM_NCHITTEST answers HTCAPTION).
//
// Creation runs the clean-up of stale update state, then builds the window from the artwork in
// the current folder; a background or strip that is missing or damaged ends the construction at
// that step without a message (no buttons, and the designed size without a background).
class TMainFM : public Window, private launcher::LauncherWindowPort {
 public:
  TMainFM(LauncherActions actions, bool traditional_locale);

  // Centres the window on the screen and shows it.
  void Show();

  void UpdateClick();
  void WebClick();
  void SettingsClick();
  void ExitClick();
  void ButtonDown(int button);
  void ButtonUp(int button);

  // Whether button `button`'s (1..4) pressed picture is the one shown; false without buttons.
  bool ButtonPressedShown(int button) const;
  bool HasButtons() const { return buttons_built_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void BuildWindow();
  void CreateButtonImages(const Picture& strip);
  // LauncherWindowPort: what the buttons' rules ask of this window.
  void ShowButtonState(int button, launcher::ButtonState state) override;
  bool RunUpdaterWindow() override;
  void ShowAgreementWindow() override;
  void ShowHomePageWindow() override;
  void ShowSettingsWindow() override;
  void CloseLauncher() override;
  void Terminate() override;
  LRESULT WMNCHitTest(LPARAM screen_point);

  LauncherActions actions_;
  bool traditional_locale_;
  PictureLayer pictures_;
  PictureId image1_ = 0;
  // ButtonImages: [button - 1][state - 1], ids in pictures_.
  std::array<std::array<PictureId, 2>, launcher::kButtonCount> button_images_{};
  bool buttons_built_ = false;
};

}  // namespace veyra::win32
