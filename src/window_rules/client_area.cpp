#include "window_rules/client_area.h"

#include <algorithm>

namespace veyra {

Size ClientAreaSize(const std::vector<Rect>& contents) {
  Size size{1, 1};
  for (const Rect& rect : contents) {
    if (rect.width <= 0 || rect.height <= 0) continue;
    size.width = std::max(size.width, rect.left + rect.width);
    size.height = std::max(size.height, rect.top + rect.height);
  }
  return size;
}

}  // namespace veyra
