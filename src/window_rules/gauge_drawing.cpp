#include "window_rules/gauge_drawing.h"

#include <algorithm>

namespace veyra {

GaugeDrawing DrawGauge(const GaugeState& gauge, int inner_width) {
  GaugeDrawing drawing;
  drawing.percent = std::clamp(gauge.Percent(), 0, 100);
  drawing.bar_width = std::max(0, inner_width) * drawing.percent / 100;
  drawing.text = std::to_string(drawing.percent) + "%";
  return drawing;
}

}  // namespace veyra
