#include "ui/qt/widgets/first_frame.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>
#include <vector>

namespace veyra {
namespace {

// Lives as a child of the window: if the window goes before it is painted, nothing runs.
class FirstFrameWatch : public QObject {
 public:
  FirstFrameWatch(QWidget& window, std::function<void()> action)
      : QObject(&window), action_(std::move(action)) {
    watched_.push_back(&window);
    for (QWidget* child : window.findChildren<QWidget*>()) watched_.push_back(child);
    for (QWidget* widget : watched_) widget->installEventFilter(this);
  }

  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() != QEvent::Paint || painted_) return false;
    painted_ = true;
    for (const QPointer<QWidget>& widget : watched_) {
      if (widget) widget->removeEventFilter(this);
    }
    // Queued, so that the paint and the expose that caused it are finished first.
    QTimer::singleShot(0, this, [this] {
      const std::function<void()> action = std::move(action_);
      deleteLater();
      action();
    });
    return false;
  }

 private:
  std::function<void()> action_;
  std::vector<QPointer<QWidget>> watched_;
  bool painted_ = false;
};

}  // namespace

void RunAfterFirstFrame(QWidget& window, std::function<void()> action) {
  new FirstFrameWatch(window, std::move(action));
}

}  // namespace veyra
