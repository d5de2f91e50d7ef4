#pragma once

#include <optional>

namespace veyra {

// Pixel geometry of the windows: client pixels, origin at the top-left corner, y downwards.

struct Point {
  int left = 0;
  int top = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;

  // Left and top edges belong to the rectangle, right and bottom edges do not.
  constexpr bool Contains(int x, int y) const {
    return left <= x && x < left + width && top <= y && y < top + height;
  }
};

// Where a control goes: its top-left corner and, unless it takes the size of its picture, its
// size (a picture is then stretched to it).
struct Placement {
  Point at;
  std::optional<Size> size;
};

// The offset that centres `inner` pixels in `outer` pixels: (outer - inner) / 2, truncated
// toward zero, so a window larger than the screen gets a negative offset.
constexpr int CentredOffset(int outer, int inner) {
  return (outer - inner) / 2;
}

// The top-left corner that centres a window of `window` size on a screen of `screen` size.
constexpr Point CentredOnScreen(Size window, Size screen) {
  return {CentredOffset(screen.width, window.width), CentredOffset(screen.height, window.height)};
}

}  // namespace veyra
