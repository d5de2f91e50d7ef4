#include "ui/win32/settings/tset_screen_fm.h"

#include <windowsx.h>

#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/windows/wide_text.h"
#include "settings/settings_layout.h"
#include "settings/settings_rules.h"
#include "settings/settings_window.h"
#include "ui/win32/base/app_exception.h"
#include "ui/win32/base/message_boxes.h"
#include "ui/win32/base/painting.h"

namespace veyra::win32 {
namespace {

using namespace settings;

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

Picture SystemBitmap(const char* path) {
  std::optional<Picture> picture = LoadSystemBitmap(path);
  if (!picture) throw Error(std::string("cannot load ") + path);
  return *picture;
}

}  // namespace

TSetScreenFM::TSetScreenFM(bool traditional_locale, ShowMessage show_message)
    : traditional_locale_(traditional_locale), show_message_(std::move(show_message)) {
  CreateHandle(L"TSetScreenFM", kStyle, 0, WideFromUtf8(kCaption), {0, 0, 320, 240}, nullptr);
  if (!show_message_) {
    show_message_ = [this](const std::wstring& text) { ShowInformation(handle(), text); };
  }
  const auto add = [this](Point at) { return pictures_.Add(PictureControlAt(at)); };
  // Stacked as designed: the background below, the marks and buttons on it.
  Image1 = add(kImage1At);
  Image2 = add(kImage2At);
  Image3 = add(kImage3At);
  Image6 = add(kImage6At);
  Image7 = add(kImage7At);
  Image8 = add(kImage8At);
  Image4 = add(kImage4At);
  Image5 = add(kImage5At);
  pictures_[Image1].on_mouse_down = [this](MouseButton) {
    Image1MouseDown(last_press_.x, last_press_.y);
  };
  pictures_[Image4].on_mouse_down = [this](MouseButton) { Image4MouseDown(); };
  pictures_[Image5].on_mouse_down = [this](MouseButton) { Image5MouseDown(); };
  pictures_[Image6].on_click = [this] { Image6Click(); };
  pictures_[Image7].on_click = [this] { ShowClosedChoiceMessage(*this); };
  pictures_[Image8].on_click = [this] { ShowClosedChoiceMessage(*this); };
  FormCreate();
}

void TSetScreenFM::FormCreate() {
  // Start-up goes on whatever happens here: a failure ends this step quietly.
  GuardedProcedure([this] {
    LoadSettings();
    return 0;
  });
}

void TSetScreenFM::LoadSettings() {
  settings_ = LoadSettingsFile(traditional_locale_);

  PictureControl& background = pictures_[Image1];
  background.picture =
      SystemBitmap(traditional_locale_ ? kTraditionalBackground : kSimplifiedBackground);
  const Size size = background.picture.size();
  background.place = {kImage1At.left, kImage1At.top, size.width, size.height};
  // The client area takes the background's size; the window is centred by that size.
  RECT frame{0, 0, size.width, size.height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const Point at =
      CentredOnScreen(size, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  SetWindowPos(handle(), nullptr, at.left, at.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextW(handle(), WideFromUtf8(kCaption).c_str());

  const Picture mark = SystemBitmap(kCheckMarkPicture);
  for (auto [id, place] :
       {std::pair{Image2, kImage2At}, std::pair{Image3, kImage3At}, std::pair{Image6, kImage6At},
        std::pair{Image7, kImage7At}, std::pair{Image8, kImage8At}}) {
    pictures_[id].picture = mark;
    pictures_[id].place = {place.left, place.top, mark.size().width, mark.size().height};
  }
  ShowMarks(MarksOf(settings_));

  for (auto [id, path, place] :
       {std::tuple{Image4, kOkPicture, kImage4At}, std::tuple{Image5, kCancelPicture, kImage5At}}) {
    pictures_[id].picture = LoadJpegPicture(path);
    const Size button = pictures_[id].picture.size();
    pictures_[id].place = {place.left, place.top, button.width, button.height};
  }
  InvalidateRect(handle(), nullptr, FALSE);
}

void TSetScreenFM::Image1MouseDown(int x, int y) {
  settings::Image1MouseDown(*this, settings_, x, y);
}

void TSetScreenFM::Image4MouseDown() {
  settings::Image4MouseDown(*this, settings_, traditional_locale_);
}

void TSetScreenFM::Image5MouseDown() {
  settings::Image5MouseDown(*this);
}

void TSetScreenFM::Image6Click() {
  settings::Image6Click(settings_);
}

MarkBounds TSetScreenFM::MarkPlaces() const {
  return {pictures_[Image2].place, pictures_[Image3].place, pictures_[Image6].place,
          pictures_[Image7].place, pictures_[Image8].place};
}

void TSetScreenFM::ShowMarks(const SettingsMarks& marks) {
  pictures_[Image2].visible = marks.full_screen;
  pictures_[Image3].visible = marks.window;
  pictures_[Image6].visible = marks.full_memory;
  pictures_[Image7].visible = marks.half_memory;
  pictures_[Image8].visible = marks.short_memory;
  InvalidateRect(handle(), nullptr, FALSE);
}

void TSetScreenFM::Inform(const std::string& text) {
  show_message_(WideFromUtf8(text));
}

void TSetScreenFM::HideWindow() {
  ShowWindow(handle(), SW_HIDE);
}

LRESULT TSetScreenFM::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (const auto painted =
          HandlePaintMessage(handle(), message, [this](HDC dc) { pictures_.Paint(dc); }))
    return *painted;
  switch (message) {
    case WM_CLOSE:  // the close box hides the window; it lives as long as the program
      ShowWindow(handle(), SW_HIDE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      last_press_ = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      break;
    default:
      break;
  }
  if (pictures_.HandleMouse(handle(), message, lparam)) return 0;
  return Window::HandleMessage(message, wparam, lparam);
}

}  // namespace veyra::win32
