#pragma once

#include <QImage>
#include <QWidget>

namespace veyra {

// A picture control: shows one picture at its own size (auto-size) or stretched over the
// control, optionally transparent. Mouse presses and releases of every button are passed on as
// signals; a PictureButtons group turns them into the window's handler calls.
class PictureControl : public QWidget {
  Q_OBJECT

 public:
  explicit PictureControl(QWidget* parent);

  // Shows `image` (a null image shows nothing). With auto-size on, the control takes its size.
  void SetPicture(const QImage& image);
  const QImage& picture() const { return picture_; }
  // On: the control takes the size of each picture given. Off: the picture is stretched over
  // the control's own size.
  void SetAutoSize(bool auto_size);
  // On: the pixels of the picture's bottom-left colour are not drawn, so what lies beneath shows
  // through (the way transparent bitmaps are drawn on the game's system).
  void SetTransparent(bool transparent);

 signals:
  void Pressed(Qt::MouseButton button);
  // `global` is where the pointer was when the button came up.
  void Released(Qt::MouseButton button, QPointF global);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Rebuild();

  QImage picture_;
  QImage shown_;  // the picture as drawn: with its transparent colour keyed out when asked
  bool auto_size_ = false;
  bool transparent_ = false;
};

}  // namespace veyra
