#include "ui/widgets/picture_buttons.h"

#include <QApplication>

#include "ui/widgets/picture_control.h"

namespace veyra {

MouseButton ToMouseButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return MouseButton::kLeft;
    case Qt::RightButton:
      return MouseButton::kRight;
    default:
      return MouseButton::kMiddle;
  }
}

PictureId PictureButtons::Add(PictureControl* picture, Handlers handlers) {
  const auto id = static_cast<PictureId>(pictures_.size());
  pictures_.push_back(picture);
  handlers_.push_back(std::move(handlers));
  connect(picture, &PictureControl::Pressed, this,
          [this, id](Qt::MouseButton button) { OnPressed(id, button); });
  connect(picture, &PictureControl::Released, this,
          [this](Qt::MouseButton button, QPointF global) { OnReleased(button, global); });
  return id;
}

std::optional<PictureId> PictureButtons::PictureAt(QPointF global) const {
  // The widget on screen at the pointer, walked up to a picture of this group.
  for (QWidget* widget = QApplication::widgetAt(global.toPoint()); widget != nullptr;
       widget = widget->parentWidget()) {
    for (size_t i = 0; i < pictures_.size(); ++i) {
      if (pictures_[i] == widget) return static_cast<PictureId>(i);
    }
  }
  return std::nullopt;
}

void PictureButtons::OnPressed(PictureId id, Qt::MouseButton button) {
  Dispatch(router_.Press(id, ToMouseButton(button)));
}

void PictureButtons::OnReleased(Qt::MouseButton button, QPointF global) {
  Dispatch(router_.Release(PictureAt(global), ToMouseButton(button)));
}

void PictureButtons::Dispatch(const std::vector<PictureEvent>& events) {
  for (const PictureEvent& event : events) {
    const Handlers& handlers = handlers_[static_cast<size_t>(event.picture)];
    switch (event.kind) {
      case PictureEvent::kMouseDown:
        if (handlers.mouse_down) handlers.mouse_down(event.button);
        break;
      case PictureEvent::kClick:
        if (handlers.click) handlers.click();
        break;
      case PictureEvent::kMouseUp:
        if (handlers.mouse_up) handlers.mouse_up(event.button);
        break;
    }
  }
}

}  // namespace veyra
