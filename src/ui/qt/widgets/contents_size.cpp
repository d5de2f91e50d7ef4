#include "ui/qt/widgets/contents_size.h"

#include <QWidget>
#include <algorithm>
#include <vector>

#include "window_rules/client_area.h"

namespace veyra {

QSize ContentsSize(const QWidget& window, std::initializer_list<const QWidget*> skipped) {
  std::vector<Rect> contents;
  for (const QWidget* child :
       window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->isHidden() || child->isWindow() || std::ranges::count(skipped, child) > 0) continue;
    const QRect place = child->geometry();
    contents.push_back({place.x(), place.y(), place.width(), place.height()});
  }
  const Size size = ClientAreaSize(contents);
  return {size.width, size.height};
}

}  // namespace veyra
