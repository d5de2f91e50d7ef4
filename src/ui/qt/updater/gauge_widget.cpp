#include "ui/qt/updater/gauge_widget.h"

#include <QPainter>

#include "window_rules/updater_window_layout.h"

namespace veyra {
namespace {

constexpr int kFrameWidth = 1;
constexpr int kTextPixelHeight = 3;

QColor ToQColor(Rgb rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

GaugeWidget::GaugeWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  drawing_ = DrawGauge(gauge_, Inner().width());
}

QRect GaugeWidget::Inner() const {
  return rect().adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth);
}

void GaugeWidget::SetGauge(const GaugeState& gauge) {
  gauge_ = gauge;
  Redraw();
}

void GaugeWidget::SetBarColour(const QColor& colour) {
  if (colour == bar_colour_) return;
  bar_colour_ = colour;
  update();
}

void GaugeWidget::Redraw() {
  GaugeDrawing drawing = DrawGauge(gauge_, Inner().width());
  if (drawing == drawing_) return;
  drawing_ = std::move(drawing);
  update();
}

void GaugeWidget::resizeEvent(QResizeEvent*) {
  drawing_ = DrawGauge(gauge_, Inner().width());
}

void GaugeWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor background = ToQColor(updater_window::kGauge1Background);
  painter.fillRect(rect(), background);
  const QRect inner = Inner();
  const QRect bar(inner.left(), inner.top(), drawing_.bar_width, inner.height());
  painter.fillRect(bar, bar_colour_);

  // The text reads in the bar's colour over the empty part and in the background's over the bar.
  QFont font = painter.font();
  font.setPixelSize(kTextPixelHeight);
  painter.setFont(font);
  const QString text = QString::fromStdString(drawing_.text);
  painter.save();
  painter.setClipRect(inner.adjusted(drawing_.bar_width, 0, 0, 0));
  painter.setPen(bar_colour_);
  painter.drawText(inner, Qt::AlignCenter, text);
  painter.setClipRect(bar);
  painter.setPen(background);
  painter.drawText(inner, Qt::AlignCenter, text);
  painter.restore();

  painter.setPen(QPen(Qt::black, kFrameWidth));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace veyra
