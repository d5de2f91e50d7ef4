#include "window_rules/launcher_pointer.h"

#include "window_rules/launcher_rules.h"

namespace veyra::launcher {

PressRoute LauncherPointer::Press(Point pointer, Point window, MouseButton button) {
  const int x = pointer.left - window.left;
  const int y = pointer.top - window.top;
  if (WMNCHitTest(x, y) == HitTestResult::kClient) {
    kept_from_pictures_ &= ~Bit(button);
    return PressRoute::kToPicture;
  }
  kept_from_pictures_ |= Bit(button);
  if (button != MouseButton::kLeft) return PressRoute::kIgnore;
  press_pointer_ = pointer;
  press_window_ = window;
  moving_by_hand_ = false;  // the window manager gets the first chance
  return PressRoute::kMoveWindow;
}

void LauncherPointer::MoveByHand() {
  moving_by_hand_ = true;
}

std::optional<Point> LauncherPointer::Move(Point pointer) const {
  if (!moving_by_hand_) return std::nullopt;
  return Point{press_window_.left + pointer.left - press_pointer_.left,
               press_window_.top + pointer.top - press_pointer_.top};
}

bool LauncherPointer::Release(MouseButton button) {
  if (button == MouseButton::kLeft) moving_by_hand_ = false;
  const bool kept = (kept_from_pictures_ & Bit(button)) != 0;
  kept_from_pictures_ &= ~Bit(button);
  return kept;
}

}  // namespace veyra::launcher
