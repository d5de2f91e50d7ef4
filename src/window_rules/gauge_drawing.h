#pragma once

#include <string>

#include "window_rules/control_state.h"

namespace veyra {

// What the transfer gauge draws for its state. The gauge draws whole percentages only, so two
// states with the same percentage draw the same picture and need no repaint.
struct GaugeDrawing {
  int percent = 0;
  int bar_width = 0;  // filled pixels of the inner width, from the left
  std::string text;   // the centred text: the whole percentage and a per-cent sign
  bool operator==(const GaugeDrawing&) const = default;
};

// The drawing of `gauge` inside `inner_width` pixels (the control less its frame). A negative
// width draws no bar.
GaugeDrawing DrawGauge(const GaugeState& gauge, int inner_width);

}  // namespace veyra
