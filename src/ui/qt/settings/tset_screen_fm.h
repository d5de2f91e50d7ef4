#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "settings/settings_file.h"
#include "settings/settings_window.h"

namespace veyra {

class PictureButtons;
class PictureControl;

// The game settings window: display mode and memory use, kept in "sinfo.txt" in the current
// folder. A framed window drawn from artwork, created hidden at start-up (its creation already
// reads the file, or writes the default one) and shown by the launcher's settings button.
//
// The marks show the choices; a hidden mark lets presses through to the background, whose press
// at a mark's place chooses it. OK (a press of any mouse button) writes the file and hides the
// window; cancel hides it without writing. An error reading or writing the file, or loading a
// picture, ends the handler at that step and reaches the application's exception handler: after
// a failed write the window stays open.
class TSetScreenFM : public QWidget, private settings::SettingsWindowPort {
  Q_OBJECT

 public:
  // Shows the answer to a closed choice; the program shows a plain message box with the
  // application's name as caption.
  using ShowMessage = std::function<void(const QString& text)>;

  TSetScreenFM(bool traditional_locale, ShowMessage show_message = {}, QWidget* parent = nullptr);

  // Reads the file (creating it when missing) and lays the window out again: size, centre of
  // the screen, caption, pictures, and the marks of the file's choices. Unsaved changes are lost.
  void LoadSettings();

  // The choices as the marks show them.
  const settings::GameSettings& Settings() const { return settings_; }
  settings::MemoryMode MemoryMode() const { return settings_.memory; }

  PictureControl* Image1 = nullptr;  // background
  PictureControl* Image2 = nullptr;  // mark of full screen
  PictureControl* Image3 = nullptr;  // mark of window
  PictureControl* Image4 = nullptr;  // OK
  PictureControl* Image5 = nullptr;  // cancel
  PictureControl* Image6 = nullptr;  // mark of full memory
  PictureControl* Image7 = nullptr;  // mark of half memory
  PictureControl* Image8 = nullptr;  // mark of short memory

 protected:
  // Presses on the background, with their position.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void Image1MouseDown(int x, int y);
  void Image4MouseDown();
  void Image5MouseDown();
  void Image6Click();
  void Image7Click();
  void Image8Click();
  // SettingsWindowPort: what the handlers' rules ask of this window.
  settings::MarkBounds MarkPlaces() const override;
  void ShowMarks(const settings::SettingsMarks& marks) override;
  void Inform(const std::string& text) override;
  void HideWindow() override;

  bool traditional_locale_;
  ShowMessage show_message_;
  settings::GameSettings settings_;
  PictureButtons* buttons_ = nullptr;
};

// The launcher's settings button: shows the window (not modally) and then reloads its settings.
void ShowSettingsWindow(TSetScreenFM& window);

}  // namespace veyra
