#pragma once

#include <windows.h>

#include "window_rules/geometry.h"

namespace veyra::win32 {

// A place of the window rules as the system's rectangle (right and bottom edges outside).
inline RECT SystemRect(const Rect& rect) {
  return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
}

}  // namespace veyra::win32
