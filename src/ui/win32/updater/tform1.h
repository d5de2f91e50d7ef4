#pragma once

// The engine's HTTP client needs the socket headers, which must come before windows.h (they
// include it themselves).
#include <winsock2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/base/fonts.h"
#include "ui/win32/base/picture_layer.h"
#include "ui/win32/base/window.h"
#include "ui/win32/browser/browser_control.h"
#include "ui/win32/updater/list_box.h"
#include "updater/engine/updater_engine.h"
#include "updater/engine/updater_view.h"
#include "window_rules/picture_button_layout.h"

namespace veyra::win32 {

// The updater window: the update run's engine with its pictures, lists, status line, gauge and
// news page around it. It draws the engine's window state and forwards the player's presses and
// releases to the engine; it holds no update logic of its own. A fixed single border and a
// caption without system menu (no close box: the exit picture is the way out). Shown modally by
// the launcher; the driver (line dialog, server search, page pass) starts once it is shown.
class TForm1 : public Window, public UpdaterView {
 public:
  // `program_arguments`: the program's parameters without its name (up to three are handed to
  // the login program); `language_code`: the display language ("t", "s" or "n").
  TForm1(const std::vector<std::string>& program_arguments, std::string language_code);
  ~TForm1() override;

  UpdaterEngine& engine() { return engine_; }

  // UpdaterView.
  void ShowMessage(const std::string& text) override;
  void ReloadPage() override;
  void Log(const std::string& line) override;
  bool AskYesNo(const std::string& question) override;
  void RunLineDialog(LineDialogModel& dialog) override;
  void HideWindow() override;
  void CloseWindow() override;
  void EndProcess() override;
  void Terminate() override;
  void StateChanged(const UpdaterWindowState& window, UpdateStage stage) override;
  int ProgressTextWidth(std::string_view text) const override;
  int ClientWidth() const override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void BuildControls();
  HWND HiddenButton(const wchar_t* caption, Point at, int id) const;
  void FormCreate(const std::vector<std::string>& program_arguments);
  bool LoadCreationPictures();
  void LayOut();
  void FitClientTo(Size size);
  void SetCaption(std::string_view caption);
  void Paint(HDC dc) const;
  void RunFormClose();
  Point WindowCorner() const;
  PictureControl& Control(PictureId id) { return pictures_[id]; }

  // Shows picture `base` of `button` on control `id` now (ShowButtonPicture's rules).
  void ShowPicture(PictureId id, const PictureButtonLayout& button, std::string_view base);
  void Image2MouseDown();
  void Image2MouseUp();
  void Image3MouseDown();
  void Image3MouseUp();
  void Image6MouseDown();
  void Image6MouseUp();
  void Image4MouseDown();
  void Image4MouseUp();

  std::string language_code_;
  UpdaterEngine engine_;
  PictureLayer pictures_;
  PictureId image1_ = 0, image2_ = 0, image3_ = 0, image6_ = 0, image4_ = 0;
  std::unique_ptr<BrowserControl> web_browser1_;  // null where the system has no browser
  std::unique_ptr<ListBox> list_box1_;
  std::unique_ptr<ListBox> list_box2_;
  HWND button1_ = nullptr;  // hidden: its enabled state mirrors the engine's Button1Enabled
  HWND button4_ = nullptr;  // hidden: its click is the exit confirmation
  Font label3_font_;
  Font label4_font_;
  UpdaterWindowState shown_;  // what the window draws, as the engine last reported it
  Rgb bar_colour_{};
  bool driver_started_ = false;
  bool form_closed_ = false;
};

}  // namespace veyra::win32
