#include "window_rules/picture_button_router.h"

namespace veyra {

std::vector<PictureEvent> PictureButtonRouter::Press(std::optional<PictureId> under_pointer,
                                                     MouseButton button) {
  if (button == MouseButton::kLeft) left_down_on_ = under_pointer;
  if (!under_pointer) return {};
  return {{PictureEvent::kMouseDown, *under_pointer, button}};
}

std::vector<PictureEvent> PictureButtonRouter::Release(std::optional<PictureId> under_pointer,
                                                       MouseButton button) {
  if (button != MouseButton::kLeft) {
    if (!under_pointer) return {};
    return {{PictureEvent::kMouseUp, *under_pointer, button}};
  }
  // The left button went down off the pictures: its release belongs to whatever it went down on.
  if (!left_down_on_) return {};
  const PictureId holder = *left_down_on_;
  left_down_on_.reset();
  std::vector<PictureEvent> events;
  if (under_pointer == holder) events.push_back({PictureEvent::kClick, holder, button});
  events.push_back({PictureEvent::kMouseUp, holder, button});
  return events;
}

}  // namespace veyra
