#include "ui/qt/widgets/picture_control.h"

#include <QMouseEvent>
#include <QPainter>

#include "window_rules/picture_transparency.h"

namespace veyra {

PictureControl::PictureControl(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_NoSystemBackground);
}

void PictureControl::SetPicture(const QImage& image) {
  picture_ = image;
  Rebuild();
}

void PictureControl::SetAutoSize(bool auto_size) {
  auto_size_ = auto_size;
  Rebuild();
}

void PictureControl::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Rebuild();
}

void PictureControl::Rebuild() {
  shown_ = picture_;
  if (transparent_ && !picture_.isNull()) {
    const Point key_at = TransparentKeyPixel({picture_.width(), picture_.height()});
    const QRgb key = picture_.pixel(key_at.left, key_at.top);
    shown_ = picture_.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < shown_.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(shown_.scanLine(y));
      for (int x = 0; x < shown_.width(); ++x) {
        if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
      }
    }
  }
  if (auto_size_ && !picture_.isNull()) resize(picture_.size() / picture_.devicePixelRatio());
  update();
}

void PictureControl::paintEvent(QPaintEvent*) {
  if (shown_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), shown_);
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
  emit Pressed(event->button());
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
  emit Released(event->button(), event->globalPosition());
}

}  // namespace veyra
