#pragma once

#include <optional>

#include "window_rules/geometry.h"
#include "window_rules/picture_button_router.h"

namespace veyra::launcher {

// What the launcher does with a mouse press.
enum class PressRoute {
  kToPicture,   // the press lies on a button's click area: the picture there receives it
  kMoveWindow,  // a left press anywhere else: the window is dragged
  kIgnore,      // another button anywhere else: nothing happens, the release neither
};

// The mouse on the borderless launcher window. Every press is hit-tested with WMNCHitTest
// first, as the system would before handing it to a control, so the window is dragged by its
// background and by the outer part of each button picture. A drag is the window manager's job;
// where there is none the window follows the pointer by hand until the left button comes up.
class LauncherPointer {
 public:
  // Button `button` went down with the pointer at `pointer` (screen pixels) and the window's
  // top-left corner at `window`. Returns what becomes of the press.
  PressRoute Press(Point pointer, Point window, MouseButton button);

  // The window manager could not move the window for the last kMoveWindow press: move it by
  // hand with the pointer until the left button comes up.
  void MoveByHand();

  // The pointer moved to `pointer`: where the window's top-left corner goes while it is moved by
  // hand, none otherwise.
  std::optional<Point> Move(Point pointer) const;

  // Button `button` came up. True when its press did not go to a picture, so neither does the
  // release. A left release ends a move by hand.
  bool Release(MouseButton button);

 private:
  static int Bit(MouseButton button) { return 1 << static_cast<int>(button); }

  int kept_from_pictures_ = 0;  // buttons whose press was kept from the pictures, as bits
  Point press_pointer_;
  Point press_window_;
  bool moving_by_hand_ = false;
};

}  // namespace veyra::launcher
