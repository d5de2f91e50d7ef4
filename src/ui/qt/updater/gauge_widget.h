#pragma once

#include <QColor>
#include <QWidget>

#include "updater/engine/window_state.h"
#include "window_rules/gauge_drawing.h"

namespace veyra {

// The transfer gauge Gauge1: a black field with a single-line frame, the bar filled from the left
// up to the whole percentage, and the percentage text centred in a font 3 pixels high (so that in
// practice only the bar reads). It keeps every value it is given but repaints only when what it
// draws changes, that is when the whole percentage changes.
class GaugeWidget : public QWidget {
  Q_OBJECT

 public:
  explicit GaugeWidget(QWidget* parent);

  void SetGauge(const GaugeState& gauge);
  const GaugeState& gauge() const { return gauge_; }
  const GaugeDrawing& drawing() const { return drawing_; }

  // The bar colour; the window gives it its final colour at the end of its creation.
  void SetBarColour(const QColor& colour);
  QColor bar_colour() const { return bar_colour_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Redraw();
  QRect Inner() const;

  GaugeState gauge_;
  GaugeDrawing drawing_;
  QColor bar_colour_{Qt::black};
};

}  // namespace veyra
