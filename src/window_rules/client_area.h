#pragma once

#include <vector>

#include "window_rules/geometry.h"

namespace veyra {

// The client area of a window sized to its contents: from its top-left corner to the farthest
// right and bottom edges of the union of the background and every control, so that a
// background smaller than the layout never leaves a control outside the window. Rectangles
// without area add nothing; the result is at least 1 x 1.
Size ClientAreaSize(const std::vector<Rect>& contents);

}  // namespace veyra
