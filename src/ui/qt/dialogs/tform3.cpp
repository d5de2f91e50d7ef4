#include "ui/qt/dialogs/tform3.h"

#include <exception>

#include "platform/text_codec.h"
#include "ui/qt/updater/form_pictures.h"
#include "ui/qt/widgets/picture_buttons.h"
#include "ui/qt/widgets/picture_control.h"
#include "window_rules/picture_button_names.h"
#include "window_rules/update_mode_layout.h"

namespace veyra {
namespace {

namespace layout = update_mode_dialog;

// A failure inside a handler ends that handler without a message.
template <typename Handler>
void Guarded(Handler handler) {
  try {
    handler();
  } catch (const std::exception&) {
  }
}

}  // namespace

TForm3::TForm3(const std::string& language_code, QPoint updater_window_at,
               std::function<void()> force_update, QWidget* parent)
    : QDialog(parent), language_code_(language_code), force_update_(std::move(force_update)) {
  // Built as designed, with the built-in pictures at their places.
  Image1 = new PictureControl(this);
  Image1->SetAutoSize(true);
  Image1->SetPicture(FormBuiltinPicture("TForm3/Image1.jpg"));
  Image1->move(layout::kImage1At.left, layout::kImage1At.top);
  const auto make_button = [this](const PictureButtonLayout& button, std::string_view builtin,
                                  PictureAction action) {
    auto* control = new PictureControl(this);
    control->SetAutoSize(true);
    control->SetPicture(FormBuiltinPicture(builtin));
    control->move(button.place.at.left, button.place.at.top);
    control->setAccessibleName(QString::fromStdString(
        DecodeForDisplay(language_code_, PictureActionName(action, language_code_))));
    control->setCursor(Qt::PointingHandCursor);
    return control;
  };
  Image2 = make_button(layout::kImage2, "TForm3/Image2.jpg", PictureAction::kForceUpdate);
  Image3 = make_button(layout::kImage3, "TForm3/Image3.jpg", PictureAction::kCancel);

  buttons_ = new PictureButtons(this);
  buttons_->Add(Image2, {[this](MouseButton) { Guarded([&] { Image2MouseDown(); }); }, nullptr,
                         [this](MouseButton) { Guarded([&] { Image2MouseUp(); }); }});
  buttons_->Add(Image3, {[this](MouseButton) { Guarded([&] { Image3MouseDown(); }); }, nullptr,
                         [this](MouseButton) { Guarded([&] { Image3MouseUp(); }); }});
  FormCreate(updater_window_at);
}

void TForm3::FormCreate(QPoint updater_window_at) {
  // A picture that cannot be loaded ends the creation there: the dialog shows as far as built.
  std::optional<QImage> background = LoadUpdaterPicture(layout::kImage1Picture, language_code_);
  if (!background) return;
  Image1->SetPicture(*background);
  Image1->SetTransparent(true);
  std::optional<QImage> force = LoadUpdaterPicture(layout::kImage2.released, language_code_);
  if (!force) return;
  Image2->SetPicture(*force);
  std::optional<QImage> cancel = LoadUpdaterPicture(layout::kImage3.released, language_code_);
  if (!cancel) return;
  Image3->SetPicture(*cancel);

  Image1->move(layout::kImage1At.left, layout::kImage1At.top);
  Image2->move(layout::kImage2.place.at.left, layout::kImage2.place.at.top);
  Image3->move(layout::kImage3.place.at.left, layout::kImage3.place.at.top);

  const Point at = layout::UpdateModeDialogPosition({updater_window_at.x(), updater_window_at.y()});
  move(at.left, at.top);
  const Size size = layout::UpdateModeDialogSize({background->width(), background->height()});
  resize(size.width, size.height);
  setWindowTitle(
      QString::fromUtf8(layout::kCaption.data(), static_cast<qsizetype>(layout::kCaption.size())));
}

void TForm3::Image2MouseDown() {
  ShowButtonPicture(*Image2, layout::kImage2, layout::kImage2.pressed, language_code_);
}

void TForm3::Image2MouseUp() {
  hide();
  ShowButtonPicture(*Image2, layout::kImage2, layout::kImage2.released, language_code_);
  done(QDialog::Accepted);
  if (force_update_) force_update_();
}

void TForm3::Image3MouseDown() {
  ShowButtonPicture(*Image3, layout::kImage3, layout::kImage3.pressed, language_code_);
}

void TForm3::Image3MouseUp() {
  ShowButtonPicture(*Image3, layout::kImage3, layout::kImage3.released, language_code_);
  done(QDialog::Rejected);
}

}  // namespace veyra
