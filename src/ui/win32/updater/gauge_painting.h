#pragma once

#include <windows.h>

#include "window_rules/colour.h"
#include "window_rules/control_state.h"
#include "window_rules/geometry.h"

namespace veyra::win32 {

// Paints the transfer gauge Gauge1 at `place`: the black ground, a single-line frame, the bar of
// `bar_colour` as wide as DrawGauge gives, and the centred percentage in a font 3 pixels high
// (the bar's colour over the empty part, the ground's over the bar).
void PaintGauge(HDC dc, const Rect& place, const GaugeState& gauge, Rgb bar_colour);

}  // namespace veyra::win32
