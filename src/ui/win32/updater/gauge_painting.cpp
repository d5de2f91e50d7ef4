#include "ui/win32/updater/gauge_painting.h"

#include <string>

#include "ui/win32/base/fonts.h"
#include "ui/win32/base/painting.h"
#include "window_rules/gauge_drawing.h"
#include "window_rules/updater_window_layout.h"

namespace veyra::win32 {
namespace {

constexpr int kFrameWidth = 1;
constexpr int kTextPixelHeight = 3;

void Fill(HDC dc, const RECT& rect, Rgb colour) {
  HBRUSH brush = CreateSolidBrush(ToColorRef(colour));
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void DrawCentredText(HDC dc, RECT inner, const RECT& clip, const std::wstring& text, Rgb colour) {
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  SetTextColor(dc, ToColorRef(colour));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RestoreDC(dc, saved);
}

}  // namespace

void PaintGauge(HDC dc, const Rect& place, const GaugeState& gauge, Rgb bar_colour) {
  const Rgb ground = updater_window::kGauge1Background;
  const RECT outer{place.left, place.top, place.left + place.width, place.top + place.height};
  const RECT inner{outer.left + kFrameWidth, outer.top + kFrameWidth, outer.right - kFrameWidth,
                   outer.bottom - kFrameWidth};
  const GaugeDrawing drawing = DrawGauge(gauge, inner.right - inner.left);
  Fill(dc, outer, ground);
  const RECT bar{inner.left, inner.top, inner.left + drawing.bar_width, inner.bottom};
  Fill(dc, bar, bar_colour);

  static const Font text_font("Arial", kTextPixelHeight);
  const HGDIOBJ old_font = SelectObject(dc, text_font.handle());
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const std::wstring text(drawing.text.begin(), drawing.text.end());  // digits and '%'
  DrawCentredText(dc, inner, {bar.right, inner.top, inner.right, inner.bottom}, text, bar_colour);
  DrawCentredText(dc, inner, bar, text, ground);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);

  HBRUSH frame = CreateSolidBrush(ToColorRef(kBlack));
  FrameRect(dc, &outer, frame);
  DeleteObject(frame);
}

}  // namespace veyra::win32
