#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "window_rules/launcher_actions.h"
#include "window_rules/launcher_layout.h"
#include "window_rules/launcher_pointer.h"

namespace veyra {

class PictureButtons;
class PictureControl;

// The windows the launcher's buttons open. The program supplies them; a hook left empty (or an
// updater window factory that returns null) leaves its button with only its pressed feedback.
struct LauncherActions {
  // Creates the updater window (TForm1), running its own creation steps, with `parent` as its
  // parent. UpdateClick places it and shows it modally; the window must not delete itself.
  std::function<std::unique_ptr<QDialog>(QWidget* parent)> create_updater_window;
  // WebClick on a Traditional-Chinese system: shows the agreement window beside the launcher.
  std::function<void()> show_agreement_window;
  // WebClick on any other system: shows the full-screen home page window modally.
  std::function<void()> show_home_page_window;
  // SettingsClick: shows the settings window and reloads its settings.
  std::function<void()> show_settings_window;
};

// The locale the launcher serves, read once at start-up.
struct LauncherLanguage {
  bool traditional_locale = false;  // IsTraditionalLocale(): the artwork and the web button
  std::string language_code = "n";  // GetLanguageCode(): the buttons' accessible names
};

// The launcher window: borderless, drawn from its background picture, with four picture
// buttons (update and play, web, settings, exit). It is the program's main window: its closing
// ends the program. Presses anywhere but on a button's click area drag it.
//
// Its creation runs the clean-up of stale update state and then builds the window from the
// artwork in the current folder. A background or button strip that is missing or damaged ends
// the construction at that step without a message: the window then has no buttons (at its
// designed size when the background is missing) and the application keeps its default
// exception handling. A complete construction installs AppException.
class TMainFM : public QWidget, private launcher::LauncherWindowPort {
  Q_OBJECT

 public:
  TMainFM(LauncherActions actions, LauncherLanguage language, QWidget* parent = nullptr);
  ~TMainFM() override;

  // The buttons' actions, the click handlers of their normal pictures.
  void UpdateClick();
  void WebClick();
  void SettingsClick();
  void ExitClick();

  // Shows button `button`'s (1..4) pressed picture, repaints at once and pauses kPressedPause
  // on this thread; the window does not respond meanwhile.
  void ButtonDown(int button);
  // Shows button `button`'s normal picture again and repaints.
  void ButtonUp(int button);

  // The application's exception handler from the end of the launcher's creation on: drops the
  // exception, noting it on standard error.
  static void AppException(std::exception_ptr error);

  // The background picture control.
  PictureControl* Image1() const { return image1_; }
  // Button `button`'s (1..4) picture for `state`; null when the construction stopped before the
  // buttons were made.
  PictureControl* ButtonImage(int button, launcher::ButtonState state) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The construction steps from the border's removal on; returns at the step that fails.
  void BuildWindow();
  void CreateButtonImages(const QImage& strip);
  // LauncherWindowPort: what the buttons' rules ask of this window.
  void ShowButtonState(int button, launcher::ButtonState state) override;
  bool RunUpdaterWindow() override;
  void ShowAgreementWindow() override;
  void ShowHomePageWindow() override;
  void ShowSettingsWindow() override;
  void CloseLauncher() override;
  void Terminate() override;
  void WatchMouse(QWidget* widget);

  LauncherActions actions_;
  LauncherLanguage language_;
  PictureControl* image1_ = nullptr;
  // ButtonImages: [button - 1][state - 1], owned by the window as its children.
  std::array<std::array<PictureControl*, 2>, launcher::kButtonCount> button_images_{};
  PictureButtons* buttons_ = nullptr;
  launcher::LauncherPointer pointer_;
  bool centre_when_shown_ = false;
};

}  // namespace veyra
