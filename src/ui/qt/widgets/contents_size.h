#pragma once

#include <QSize>
#include <initializer_list>

class QWidget;

namespace veyra {

// The client area `window` takes when sized to its contents (ClientAreaSize): the union of its
// child controls that are not hidden, the background among them, leaving out `skipped`.
QSize ContentsSize(const QWidget& window, std::initializer_list<const QWidget*> skipped = {});

}  // namespace veyra
