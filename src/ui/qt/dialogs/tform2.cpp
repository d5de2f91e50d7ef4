#include "ui/qt/dialogs/tform2.h"

#include <QListWidget>
#include <QShowEvent>

#include "platform/text_codec.h"
#include "ui/qt/updater/form_pictures.h"
#include "ui/qt/widgets/picture_control.h"
#include "updater/dialogs/line_dialog_model.h"
#include "window_rules/line_dialog_layout.h"
#include "window_rules/picture_button_names.h"
#include "window_rules/updater_window_layout.h"

namespace veyra {
namespace {

namespace layout = line_dialog;

constexpr int kFormFontPixels = 12;

PictureControl* MakePicture(QWidget* parent, const layout::PictureControl& control) {
  auto* picture = new PictureControl(parent);
  picture->SetPicture(FormBuiltinPicture("TForm2/" + std::string(control.control) + ".jpg"));
  picture->setGeometry(control.at.left, control.at.top, control.size.width, control.size.height);
  return picture;
}

}  // namespace

TForm2::TForm2(LineDialogModel& model, const std::string& language_code, QPoint updater_window_at,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      model_(model),
      updater_window_at_(updater_window_at) {
  QFont font(QString::fromUtf8(updater_window::kWindowFont.data(),
                               static_cast<qsizetype>(updater_window::kWindowFont.size())));
  font.setPixelSize(kFormFontPixels);
  setFont(font);
  // Built as designed, in stacking order from the bottom.
  Image0c = MakePicture(this, layout::kTraditionalSet.background);
  Image0s = MakePicture(this, layout::kSimplifiedSet.background);
  Image2c = MakePicture(this, layout::kTraditionalSet.pressed);
  Image2s = MakePicture(this, layout::kSimplifiedSet.pressed);
  Image1c = MakePicture(this, layout::kTraditionalSet.confirm);
  Image1s = MakePicture(this, layout::kSimplifiedSet.confirm);
  ListBox1 = new QListWidget(this);
  const QString confirm_name = QString::fromStdString(DecodeForDisplay(
      language_code, PictureActionName(PictureAction::kConfirmLine, language_code)));
  for (PictureControl* confirm : {Image1c, Image1s}) {
    confirm->setAccessibleName(confirm_name);
    confirm->setCursor(Qt::PointingHandCursor);
    connect(confirm, &PictureControl::Pressed, this,
            [this, confirm](Qt::MouseButton) { Image1MouseDown(confirm); });
  }
  FormCreate(language_code);
}

void TForm2::FormCreate(const std::string& language_code) {
  resize(layout::kInitialSize.width, layout::kInitialSize.height);
  ListBox1->setGeometry(layout::kListBox1.left, layout::kListBox1.top, layout::kListBox1.width,
                        layout::kListBox1.height);

  const layout::PictureSet& shown = layout::LineDialogPictureSet(language_code);
  for (PictureControl* picture : {Image0c, Image0s, Image2c, Image2s, Image1c, Image1s}) {
    const std::string name = picture == Image0c   ? "Image0c"
                             : picture == Image0s ? "Image0s"
                             : picture == Image2c ? "Image2c"
                             : picture == Image2s ? "Image2s"
                             : picture == Image1c ? "Image1c"
                                                  : "Image1s";
    picture->setVisible(name == shown.background.control || name == shown.pressed.control ||
                        name == shown.confirm.control);
  }

  // The form sizes itself to its contents.
  QRect contents;
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!child->isHidden()) contents = contents.united(child->geometry());
  }
  setFixedSize(contents.right() + 1, contents.bottom() + 1);

  if (!model_.Web0Read()) return;
  for (const std::string& item : model_.ListBox1()) {
    ListBox1->addItem(QString::fromStdString(DecodeForDisplay(language_code, item)));
  }
  ListBox1->setCurrentRow(model_.SelectedIndex());
  connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) { model_.Select(row); });
  setWindowTitle(
      QString::fromUtf8(layout::kCaption.data(), static_cast<qsizetype>(layout::kCaption.size())));
}

void TForm2::showEvent(QShowEvent* event) {
  const Point at = layout::LineDialogPosition({updater_window_at_.x(), updater_window_at_.y()});
  move(at.left, at.top);
  QDialog::showEvent(event);
}

void TForm2::Image1MouseDown(PictureControl* confirm) {
  // The pressed picture under the confirm picture shows while the dialog closes.
  confirm->hide();
  model_.Confirm();
  done(QDialog::Accepted);
}

}  // namespace veyra
