#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/win32/base/fonts.h"
#include "ui/win32/base/window.h"
#include "ui/win32/updater/list_box.h"
#include "updater/dialogs/line_dialog_model.h"
#include "window_rules/geometry.h"

namespace veyra::win32 {

// The network line dialog: the lines of web0.dat and the no-preference item in a list, and a
// confirm picture that writes the choice (isp1.dat) and closes the dialog on any mouse button
// going down. Its pictures belong to the form: drawn here, the Traditional or the Simplified set
// by the display language. No system menu, so no close box: confirming is the way out.
class TForm2 : public Window {
 public:
  TForm2(LineDialogModel& model, const std::string& language_code, Point updater_window_at);

  // Whether the confirm picture still covers the pressed one.
  bool ConfirmShown() const { return confirm_shown_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Paint(HDC dc) const;
  void Image1MouseDown();

  LineDialogModel& model_;
  std::string language_code_;
  std::unique_ptr<ListBox> list_box1_;
  Font title_font_;
  Font button_font_;
  bool simplified_ = false;
  bool confirm_shown_ = true;
};

}  // namespace veyra::win32
