#pragma once

#include <QObject>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "window_rules/picture_button_router.h"

namespace veyra {

class PictureControl;

// The picture buttons of one window. Each registered picture gets handlers for its mouse-down,
// click and mouse-up; which handlers a press or release calls, and in which order, is decided by
// the window rules' PictureButtonRouter (a left release goes to the picture the button went
// down on, another button's release to the picture under the pointer, a click before its
// release). A handler that throws ends that handler only; the exception reaches the
// application's handler.
class PictureButtons : public QObject {
  Q_OBJECT

 public:
  struct Handlers {
    std::function<void(MouseButton)> mouse_down;
    std::function<void()> click;
    std::function<void(MouseButton)> mouse_up;
  };

  explicit PictureButtons(QObject* parent = nullptr) : QObject(parent) {}

  // Registers a picture; returns its id. Pictures registered later lie above earlier ones when
  // they overlap only if they are also above them on screen; the topmost visible one counts.
  PictureId Add(PictureControl* picture, Handlers handlers);

 private:
  void OnPressed(PictureId id, Qt::MouseButton button);
  void OnReleased(Qt::MouseButton button, std::optional<PictureId> under_pointer);
  std::optional<PictureId> PictureAt(QWidget& window, QPointF global) const;
  void Dispatch(const std::vector<PictureEvent>& events);

  std::vector<PictureControl*> pictures_;
  std::vector<Handlers> handlers_;
  PictureButtonRouter router_;
};

// The core's name for a Qt mouse button (the back and forward buttons count as middle).
MouseButton ToMouseButton(Qt::MouseButton button);

}  // namespace veyra
