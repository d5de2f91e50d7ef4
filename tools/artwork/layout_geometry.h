#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include "window_rules/geometry.h"

// The windows' own layout constants in Qt's types, so that the artwork lines up with the places
// the windows give their controls and nothing is copied.
namespace veyra::artwork {

constexpr QPoint ToQPoint(Point point) {
  return QPoint(point.left, point.top);
}
constexpr QSize ToQSize(Size size) {
  return QSize(size.width, size.height);
}
constexpr QRect ToQRect(Rect rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

}  // namespace veyra::artwork
