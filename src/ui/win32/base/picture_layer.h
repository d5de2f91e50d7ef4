#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "ui/win32/base/picture.h"
#include "window_rules/geometry.h"
#include "window_rules/picture_button_router.h"

namespace veyra::win32 {

// A picture control drawn by its parent window, with the handlers of its mouse events.
struct PictureControl {
  Rect place;
  Picture picture;
  bool visible = true;
  bool stretch = false;      // the picture fills `place`; otherwise it is drawn at its own size
  bool transparent = false;  // the picture's key colour (TransparentKey) is left out

  std::function<void(MouseButton)> on_mouse_down;
  std::function<void(MouseButton)> on_mouse_up;
  std::function<void()> on_click;
};

// A control at `at` that takes its size from the picture it is given later.
inline PictureControl PictureControlAt(Point at) {
  PictureControl control;
  control.place = {at.left, at.top, 0, 0};
  return control;
}

// The picture controls of one window, in stacking order from the bottom. The window paints them
// in its WM_PAINT and hands them its mouse button messages; presses and releases reach the
// pictures' handlers by the rules of PictureButtonRouter (a left button is held by the picture
// it went down on, so the window captures the mouse meanwhile).
class PictureLayer {
 public:
  // Adds a control on top of the others; its id is its place in the stack.
  PictureId Add(PictureControl control);
  PictureControl& operator[](PictureId id) { return controls_.at(id); }
  const PictureControl& operator[](PictureId id) const { return controls_.at(id); }

  void Paint(HDC dc) const;
  // The topmost visible control at client point (x, y), if any.
  std::optional<PictureId> TopmostAt(int x, int y) const;

  // A mouse message of `window`: WM_LBUTTONDOWN ... WM_MBUTTONUP (double clicks count as
  // presses). True when it was one of them.
  bool HandleMouse(HWND window, UINT message, LPARAM lparam);

 private:
  Rect Extent(const PictureControl& control) const;
  void Deliver(const std::vector<PictureEvent>& events);

  std::vector<PictureControl> controls_;
  PictureButtonRouter router_;
};

}  // namespace veyra::win32
