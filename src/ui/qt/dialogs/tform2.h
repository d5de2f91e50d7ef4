#pragma once

#include <QDialog>
#include <QPoint>
#include <string>

class QListWidget;

namespace veyra {

class LineDialogModel;
class PictureControl;

// The network line dialog: the line names of web0.dat and the no-preference item over the
// dialog's built-in pictures. A press of any mouse button on the confirm picture confirms the
// selected line (the model writes isp1.dat) and closes the dialog; there is no other way out.
class TForm2 : public QDialog {
  Q_OBJECT

 public:
  // `model` is read and loaded already (Web0Read() true). `updater_window_at` is the updater
  // window's top-left corner, which the dialog's position follows when it is shown.
  TForm2(LineDialogModel& model, const std::string& language_code, QPoint updater_window_at,
         QWidget* parent = nullptr);

  // The pictures, in stacking order from the bottom, and the list above them.
  PictureControl* Image0c = nullptr;
  PictureControl* Image0s = nullptr;
  PictureControl* Image2c = nullptr;
  PictureControl* Image2s = nullptr;
  PictureControl* Image1c = nullptr;
  PictureControl* Image1s = nullptr;
  QListWidget* ListBox1 = nullptr;

 public slots:
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate(const std::string& language_code);
  void Image1MouseDown(PictureControl* confirm);

  LineDialogModel& model_;
  QPoint updater_window_at_;
};

}  // namespace veyra
