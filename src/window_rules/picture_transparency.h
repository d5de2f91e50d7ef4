#pragma once

#include "window_rules/geometry.h"

namespace veyra {

// A picture control made transparent leaves out every pixel of one colour: the colour of the
// picture's bottom-left pixel.
constexpr Point TransparentKeyPixel(Size picture) {
  return {0, picture.height - 1};
}

}  // namespace veyra
