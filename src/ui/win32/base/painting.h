#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "ui/win32/base/fonts.h"
#include "window_rules/colour.h"
#include "window_rules/geometry.h"

namespace veyra::win32 {

// WM_PAINT of a window that draws its whole client area itself: everything is drawn into a
// back buffer of the client's size and copied to the screen at the end, so nothing flickers.
class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window);
  ~BufferedPaint();
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;

  HDC dc() const { return buffer_dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  RECT client_{};
  HDC buffer_dc_ = nullptr;
  HBITMAP buffer_ = nullptr;
  HGDIOBJ old_buffer_ = nullptr;
};

// The painting messages of such a window: WM_PAINT draws the client area with `paint(dc)` into
// a BufferedPaint, WM_ERASEBKGND erases nothing (WM_PAINT covers everything). Nothing for any
// other message.
template <typename PaintFunction>
std::optional<LRESULT> HandlePaintMessage(HWND window, UINT message, PaintFunction&& paint) {
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return std::nullopt;
  BufferedPaint buffer(window);
  paint(buffer.dc());
  return 0;
}

COLORREF ToColorRef(Rgb colour);

// A label drawn by its parent: `text` on one line at `at`, in `font` and `colour`, over
// whatever lies beneath (transparent background).
void DrawLabel(HDC dc, const Font& font, Rgb colour, Point at, std::wstring_view text);

}  // namespace veyra::win32
