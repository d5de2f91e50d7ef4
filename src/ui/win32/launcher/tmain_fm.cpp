#include "ui/win32/launcher/tmain_fm.h"

#include <windowsx.h>

#include "platform/paths.h"
#include "platform/windows/wide_text.h"
#include "startup/stale_update_state.h"
#include "ui/win32/base/message_loop.h"
#include "ui/win32/base/painting.h"
#include "window_rules/launcher_rules.h"

namespace veyra::win32 {

using launcher::ButtonState;

namespace {

int StateIndex(ButtonState state) {
  return static_cast<int>(state) - 1;
}

}  // namespace

TMainFM::TMainFM(LauncherActions actions, bool traditional_locale)
    : actions_(std::move(actions)), traditional_locale_(traditional_locale) {
  // The designed window, Image1 covering it without a picture yet.
  const Size designed = launcher::kDesignedSize;
  CreateHandle(L"TMainFM", WS_POPUP | WS_CLIPCHILDREN, 0, WideFromUtf8(launcher::kApplicationTitle),
               {0, 0, designed.width, designed.height}, nullptr);
  PictureControl image1;
  image1.place = {0, 0, designed.width, designed.height};
  image1_ = pictures_.Add(std::move(image1));
  CleanUpStaleUpdateState(ProgramFolder());
  try {
    BuildWindow();
  } catch (...) {
    // A failing step ends the construction quietly; what was built stays.
  }
}

void TMainFM::BuildWindow() {
  const std::optional<Picture> background =
      LoadBmpPicture(launcher::LauncherBackgroundFile(traditional_locale_));
  if (!background) return;
  // A picture outside the reader's formats is an empty one: Image1 keeps its size.
  PictureControl& image1 = pictures_[image1_];
  image1.picture = *background;
  if (!background->empty()) {
    const Size size = background->size();
    image1.place = {0, 0, size.width, size.height};
    SetWindowPos(handle(), nullptr, 0, 0, size.width, size.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The strip goes through the system's own loader, which reads every BMP form.
  const std::optional<Picture> strip =
      LoadSystemBitmap(launcher::LauncherButtonStripFile(traditional_locale_));
  if (!strip) return;
  CreateButtonImages(*strip);
}

void TMainFM::CreateButtonImages(const Picture& strip) {
  const std::array<void (TMainFM::*)(), launcher::kButtonCount> clicks{
      &TMainFM::UpdateClick, &TMainFM::WebClick, &TMainFM::SettingsClick, &TMainFM::ExitClick};
  for (int button = 1; button <= launcher::kButtonCount; ++button) {
    for (const ButtonState state : {ButtonState::kNormal, ButtonState::kPressed}) {
      const Point at = launcher::ButtonPos[button - 1];
      PictureControl picture;
      picture.place = {at.left, at.top, launcher::kButtonPictureSize.width,
                       launcher::kButtonPictureSize.height};
      picture.picture = strip.Section(launcher::ButtonStripFrame(button, state));
      picture.visible = state == ButtonState::kNormal;
      picture.stretch = true;
      picture.transparent = true;
      // Only the normal pictures have a handler.
      if (state == ButtonState::kNormal) {
        picture.on_click = [this, click = clicks[button - 1]] { (this->*click)(); };
      }
      button_images_[button - 1][StateIndex(state)] = pictures_.Add(std::move(picture));
    }
  }
  buttons_built_ = true;
}

void TMainFM::Show() {
  RECT window;
  GetWindowRect(handle(), &window);
  const Point at = CentredOnScreen({window.right - window.left, window.bottom - window.top},
                                   {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  SetWindowPos(handle(), nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(handle(), SW_SHOW);
  UpdateWindow(handle());
}

bool TMainFM::ButtonPressedShown(int button) const {
  if (!buttons_built_ || button < 1 || button > launcher::kButtonCount) return false;
  return pictures_[button_images_[button - 1][StateIndex(ButtonState::kPressed)]].visible;
}

void TMainFM::ShowButtonState(int button, ButtonState state) {
  if (!buttons_built_ || button < 1 || button > launcher::kButtonCount) return;
  for (const ButtonState each : {ButtonState::kNormal, ButtonState::kPressed}) {
    pictures_[button_images_[button - 1][StateIndex(each)]].visible = each == state;
  }
  RepaintNow(handle());
}

bool TMainFM::RunUpdaterWindow() {
  if (!actions_.create_updater_window) return false;
  const std::unique_ptr<Window> updater = actions_.create_updater_window();
  if (!updater || updater->handle() == nullptr) return false;
  RECT launcher_place;
  RECT updater_place;
  GetWindowRect(handle(), &launcher_place);
  GetWindowRect(updater->handle(), &updater_place);
  SetWindowPos(updater->handle(), nullptr, updater_place.left,
               launcher_place.top - launcher::kUpdaterWindowRaise, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RunModalLoop(updater->handle());
  return true;
}

void TMainFM::ShowAgreementWindow() {
  if (actions_.show_agreement_window) actions_.show_agreement_window();
}

void TMainFM::ShowHomePageWindow() {
  if (actions_.show_home_page_window) actions_.show_home_page_window();
}

void TMainFM::ShowSettingsWindow() {
  if (actions_.show_settings_window) actions_.show_settings_window();
}

void TMainFM::CloseLauncher() {
  PostMessageW(handle(), WM_CLOSE, 0, 0);
}

void TMainFM::Terminate() {
  RequestTermination();
}

void TMainFM::ButtonDown(int button) {
  launcher::ButtonDown(*this, button);
}

void TMainFM::ButtonUp(int button) {
  launcher::ButtonUp(*this, button);
}

void TMainFM::UpdateClick() {
  launcher::UpdateClick(*this);
}

void TMainFM::WebClick() {
  launcher::WebClick(*this, traditional_locale_);
}

void TMainFM::SettingsClick() {
  launcher::SettingsClick(*this);
}

void TMainFM::ExitClick() {
  launcher::ExitClick(*this);
}

LRESULT TMainFM::WMNCHitTest(LPARAM screen_point) {
  const LRESULT platform = DefWindowProcW(handle(), WM_NCHITTEST, 0, screen_point);
  if (platform != HTCLIENT) return platform;
  RECT window;
  GetWindowRect(handle(), &window);
  const int x = GET_X_LPARAM(screen_point) - window.left;
  const int y = GET_Y_LPARAM(screen_point) - window.top;
  return launcher::WMNCHitTest(x, y) == launcher::HitTestResult::kClient ? HTCLIENT : HTCAPTION;
}

LRESULT TMainFM::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (const auto painted =
          HandlePaintMessage(handle(), message, [this](HDC dc) { pictures_.Paint(dc); }))
    return *painted;
  switch (message) {
    case WM_NCHITTEST:
      return WMNCHitTest(lparam);
    case WM_CLOSE:
      // The main window: the program ends with it, whatever other windows are open.
      RequestTermination();
      return 0;
    default:
      if (pictures_.HandleMouse(handle(), message, lparam)) return 0;
      return Window::HandleMessage(message, wparam, lparam);
  }
}

}  // namespace veyra::win32
