#pragma once

#include <memory>
#include <string>

#include "ui/win32/base/window.h"
#include "ui/win32/browser/browser_control.h"

namespace veyra::win32 {

// The full-screen browser window: the game's home page (the launcher's web button on systems that
// are not Traditional Chinese) or the account web site (the agreement window's "我同意"). It has
// no designed controls; its browser, `Web`, is made by ShowFmWeb.
class TFmWeb : public Window {
 public:
  TFmWeb();

  std::unique_ptr<BrowserControl> Web;

 protected:
  // Closing ends the modal showing; ShowFmWeb then releases the window.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

// The full-screen browser window while it is shown; null otherwise. One exists at a time.
inline TFmWeb* FmWeb = nullptr;

// Creates a TFmWeb filling the screen's work area with its browser (as large as the screen) on
// `address`, shows it modally and releases it once the player has closed it.
void ShowFmWeb(const std::wstring& address);

}  // namespace veyra::win32
