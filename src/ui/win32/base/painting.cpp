#include "ui/win32/base/painting.h"

namespace veyra::win32 {

BufferedPaint::BufferedPaint(HWND window) : window_(window) {
  HDC screen = BeginPaint(window, &paint_);
  GetClientRect(window, &client_);
  buffer_dc_ = CreateCompatibleDC(screen);
  buffer_ = CreateCompatibleBitmap(screen, client_.right, client_.bottom);
  old_buffer_ = SelectObject(buffer_dc_, buffer_);
}

BufferedPaint::~BufferedPaint() {
  BitBlt(paint_.hdc, 0, 0, client_.right, client_.bottom, buffer_dc_, 0, 0, SRCCOPY);
  SelectObject(buffer_dc_, old_buffer_);
  DeleteObject(buffer_);
  DeleteDC(buffer_dc_);
  EndPaint(window_, &paint_);
}

COLORREF ToColorRef(Rgb colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

void DrawLabel(HDC dc, const Font& font, Rgb colour, Point at, std::wstring_view text) {
  const HGDIOBJ old_font = SelectObject(dc, font.handle());
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = SetTextColor(dc, ToColorRef(colour));
  RECT place{at.left, at.top, at.left, at.top};
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &place,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);
}

}  // namespace veyra::win32
