#pragma once

#include <QDialog>
#include <QPoint>
#include <functional>
#include <string>

namespace veyra {

class PictureButtons;
class PictureControl;

// The update mode dialog that the troubleshooting picture opens: a background that explains the
// forced update, a force-update and a cancel picture. Force update (release of any mouse button)
// hides and closes the dialog and calls `force_update` (the engine's ForceUpdateChosen, which
// asks the application to terminate); cancel, or the close box, only closes it.
class TForm3 : public QDialog {
  Q_OBJECT

 public:
  TForm3(const std::string& language_code, QPoint updater_window_at,
         std::function<void()> force_update, QWidget* parent = nullptr);

  PictureControl* Image1 = nullptr;  // background
  PictureControl* Image2 = nullptr;  // force update
  PictureControl* Image3 = nullptr;  // cancel

 private:
  void FormCreate(QPoint updater_window_at);
  void Image2MouseDown();
  void Image2MouseUp();
  void Image3MouseDown();
  void Image3MouseUp();

  std::string language_code_;
  std::function<void()> force_update_;
  PictureButtons* buttons_ = nullptr;
};

}  // namespace veyra
