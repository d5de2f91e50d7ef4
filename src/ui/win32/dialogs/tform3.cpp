#include "ui/win32/dialogs/tform3.h"

#include "platform/windows/wide_text.h"
#include "ui/win32/base/message_loop.h"
#include "ui/win32/base/painting.h"
#include "ui/win32/updater/updater_pictures.h"
#include "window_rules/update_mode_layout.h"

namespace veyra::win32 {
namespace {

namespace layout = update_mode_dialog;

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

TForm3::TForm3(const std::string& language_code, Point updater_window_at,
               std::function<void()> force_update)
    : language_code_(language_code), force_update_(std::move(force_update)) {
  CreateHandle(L"TForm3", kStyle, 0, L"", {0, 0, 300, 200}, nullptr);
  image1_ = pictures_.Add(PictureControlAt(layout::kImage1At));
  image2_ = AddPictureButton(pictures_, layout::kImage2, this, &TForm3::Image2MouseDown,
                             &TForm3::Image2MouseUp);
  image3_ = AddPictureButton(pictures_, layout::kImage3, this, &TForm3::Image3MouseDown,
                             &TForm3::Image3MouseUp);
  try {
    FormCreate(updater_window_at);
  } catch (const std::exception&) {
    // A picture that cannot be loaded ends the creation there: the dialog shows as far as built.
  }
}

void TForm3::FormCreate(Point updater_window_at) {
  pictures_[image1_].picture = LoadUpdaterPicture(layout::kImage1Picture, language_code_);
  pictures_[image1_].transparent = true;
  pictures_[image2_].picture = LoadUpdaterPicture(layout::kImage2.released, language_code_);
  pictures_[image3_].picture = LoadUpdaterPicture(layout::kImage3.released, language_code_);

  const Size size = layout::UpdateModeDialogSize(pictures_[image1_].picture.size());
  RECT frame{0, 0, size.width, size.height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const Point at = layout::UpdateModeDialogPosition(updater_window_at);
  SetWindowPos(handle(), nullptr, at.left, at.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextW(handle(), WideFromUtf8(layout::kCaption).c_str());
}

void TForm3::Image2MouseDown() {
  ShowButtonPicture(pictures_[image2_].picture, layout::kImage2, layout::kImage2.pressed,
                    language_code_);
  RepaintNow(handle());
}

void TForm3::Image2MouseUp() {
  ShowWindow(handle(), SW_HIDE);
  ShowButtonPicture(pictures_[image2_].picture, layout::kImage2, layout::kImage2.released,
                    language_code_);
  EndModal(handle());
  if (force_update_) force_update_();
}

void TForm3::Image3MouseDown() {
  ShowButtonPicture(pictures_[image3_].picture, layout::kImage3, layout::kImage3.pressed,
                    language_code_);
  RepaintNow(handle());
}

void TForm3::Image3MouseUp() {
  ShowButtonPicture(pictures_[image3_].picture, layout::kImage3, layout::kImage3.released,
                    language_code_);
  EndModal(handle());
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const auto paint = [this](HDC dc) {
    RECT client;
    GetClientRect(handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    pictures_.Paint(dc);
  };
  if (const auto painted = HandlePaintMessage(handle(), message, paint)) return *painted;
  switch (message) {
    case WM_CLOSE:
      EndModal(handle());  // the close box cancels
      return 0;
    default:
      if (pictures_.HandleMouse(handle(), message, lparam)) return 0;
      break;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

}  // namespace veyra::win32
