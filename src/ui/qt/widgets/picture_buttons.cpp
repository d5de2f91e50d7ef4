#include "ui/qt/widgets/picture_buttons.h"

#include "ui/qt/widgets/picture_control.h"

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
          [this, picture](Qt::MouseButton button, QPointF global) {
            OnReleased(button, PictureAt(*picture->window(), global));
          });
  return id;
}

std::optional<PictureId> PictureButtons::PictureAt(QWidget& window, QPointF global) const {
  // The control of the pressed picture's window at the pointer (the window that holds the mouse
  // while a button is down), walked up to a picture of this group.
  const QPoint inside = window.mapFromGlobal(global.toPoint());
  if (!window.rect().contains(inside)) return std::nullopt;
  QWidget* at = window.childAt(inside);
  for (QWidget* widget = at != nullptr ? at : &window; widget != nullptr;
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

void PictureButtons::OnReleased(Qt::MouseButton button, std::optional<PictureId> under_pointer) {
  Dispatch(router_.Release(under_pointer, ToMouseButton(button)));
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
