#pragma once

#include <functional>
#include <string>

#include "settings/settings_file.h"
#include "settings/settings_window.h"
#include "ui/win32/base/picture_layer.h"
#include "ui/win32/base/window.h"

namespace veyra::win32 {

// The game settings window: display mode and memory use, kept in "sinfo.txt" in the current
// folder. A framed window drawn from artwork, created hidden at start-up (its creation already
// reads the file, or writes the default one) and shown by the launcher's settings button.
//
// The marks show the choices; a hidden mark lets presses through to the background, whose press
// at a mark's place chooses it. OK (a press of any mouse button) writes the file and hides the
// window; cancel hides it without writing. An error reading or writing the file, or loading a
// picture, ends the handler at that step and goes to the application's exception handler: after
// a failed write the window stays open.
class TSetScreenFM : public Window, private settings::SettingsWindowPort {
 public:
  // Shows the answer to a closed choice; the program shows an information box.
  using ShowMessage = std::function<void(const std::wstring& text)>;

  explicit TSetScreenFM(bool traditional_locale, ShowMessage show_message = {});

  // Reads the file (creating it when missing) and lays the window out again: size, centre of
  // the screen, caption, pictures, and the marks of the file's choices. Unsaved changes are lost.
  void LoadSettings();

  // The choices as the marks show them.
  const settings::GameSettings& Settings() const { return settings_; }
  const PictureLayer& Pictures() const { return pictures_; }

  PictureId Image1 = 0;  // background
  PictureId Image2 = 0;  // mark of full screen
  PictureId Image3 = 0;  // mark of window
  PictureId Image4 = 0;  // OK
  PictureId Image5 = 0;  // cancel
  PictureId Image6 = 0;  // mark of full memory
  PictureId Image7 = 0;  // mark of half memory
  PictureId Image8 = 0;  // mark of short memory

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void FormCreate();
  void Image1MouseDown(int x, int y);
  void Image4MouseDown();
  void Image5MouseDown();
  void Image6Click();
  // SettingsWindowPort: what the handlers' rules ask of this window.
  settings::MarkBounds MarkPlaces() const override;
  void ShowMarks(const settings::SettingsMarks& marks) override;
  void Inform(const std::string& text) override;
  void HideWindow() override;

  bool traditional_locale_;
  ShowMessage show_message_;
  settings::GameSettings settings_;
  PictureLayer pictures_;
  POINT last_press_{};  // where the mouse button being handled went down
};

}  // namespace veyra::win32
