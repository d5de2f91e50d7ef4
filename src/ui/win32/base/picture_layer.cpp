#include "ui/win32/base/picture_layer.h"

#include <windowsx.h>

namespace veyra::win32 {
namespace {

struct MouseMessage {
  MouseButton button;
  bool down;
};

std::optional<MouseMessage> ReadMouseMessage(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return MouseMessage{MouseButton::kLeft, true};
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      return MouseMessage{MouseButton::kRight, true};
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      return MouseMessage{MouseButton::kMiddle, true};
    case WM_LBUTTONUP:
      return MouseMessage{MouseButton::kLeft, false};
    case WM_RBUTTONUP:
      return MouseMessage{MouseButton::kRight, false};
    case WM_MBUTTONUP:
      return MouseMessage{MouseButton::kMiddle, false};
    default:
      return std::nullopt;
  }
}

}  // namespace

PictureId PictureLayer::Add(PictureControl control) {
  controls_.push_back(std::move(control));
  return static_cast<PictureId>(controls_.size() - 1);
}

Rect PictureLayer::Extent(const PictureControl& control) const {
  if (control.stretch || control.picture.empty()) return control.place;
  const Size size = control.picture.size();
  return {control.place.left, control.place.top, size.width, size.height};
}

void PictureLayer::Paint(HDC dc) const {
  for (const PictureControl& control : controls_) {
    if (!control.visible) continue;
    const Rect to = Extent(control);
    if (control.transparent) {
      control.picture.DrawTransparent(dc, to, control.picture.TransparentKey());
    } else {
      control.picture.Draw(dc, to);
    }
  }
}

std::optional<PictureId> PictureLayer::TopmostAt(int x, int y) const {
  for (size_t i = controls_.size(); i-- > 0;) {
    if (controls_[i].visible && Extent(controls_[i]).Contains(x, y)) {
      return static_cast<PictureId>(i);
    }
  }
  return std::nullopt;
}

bool PictureLayer::HandleMouse(HWND window, UINT message, LPARAM lparam) {
  const std::optional<MouseMessage> mouse = ReadMouseMessage(message);
  if (!mouse) return false;
  const std::optional<PictureId> under = TopmostAt(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
  if (mouse->down) {
    if (mouse->button == MouseButton::kLeft && under) SetCapture(window);
    Deliver(router_.Press(under, mouse->button));
  } else {
    if (mouse->button == MouseButton::kLeft && GetCapture() == window) ReleaseCapture();
    Deliver(router_.Release(under, mouse->button));
  }
  return true;
}

void PictureLayer::Deliver(const std::vector<PictureEvent>& events) {
  for (const PictureEvent& event : events) {
    // A copy: a handler may replace its own control's handlers.
    const PictureControl control = controls_.at(event.picture);
    switch (event.kind) {
      case PictureEvent::kMouseDown:
        if (control.on_mouse_down) control.on_mouse_down(event.button);
        break;
      case PictureEvent::kClick:
        if (control.on_click) control.on_click();
        break;
      case PictureEvent::kMouseUp:
        if (control.on_mouse_up) control.on_mouse_up(event.button);
        break;
    }
  }
}

}  // namespace veyra::win32
