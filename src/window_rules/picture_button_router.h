#pragma once

#include <optional>
#include <vector>

namespace veyra {

enum class MouseButton { kLeft, kRight, kMiddle };

// A window's own number for one of its pictures.
using PictureId = int;

// One call of a picture's handler.
struct PictureEvent {
  enum Kind { kMouseDown, kClick, kMouseUp };
  Kind kind;
  PictureId picture;
  MouseButton button;
  bool operator==(const PictureEvent&) const = default;
};

// Decides which picture handlers a mouse press or release calls, for windows whose buttons are
// pictures. Press and release handlers react to every mouse button. The left button is held by
// the picture it went down on: its release goes there wherever the pointer then is, and is a
// click as well when the pointer is still over that picture (the click comes first). A release
// of another button goes to the picture under the pointer, if any, and is never a click.
class PictureButtonRouter {
 public:
  // A button went down; `under_pointer` is the topmost visible picture at the pointer, if any.
  // A left press off every picture holds none, so its release calls nothing.
  std::vector<PictureEvent> Press(std::optional<PictureId> under_pointer, MouseButton button);
  // A button came up; `under_pointer` is the topmost visible picture at the pointer, if any.
  std::vector<PictureEvent> Release(std::optional<PictureId> under_pointer, MouseButton button);

 private:
  std::optional<PictureId> left_down_on_;
};

}  // namespace veyra
