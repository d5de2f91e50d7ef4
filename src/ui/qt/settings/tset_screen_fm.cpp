#include "ui/qt/settings/tset_screen_fm.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "platform/error.h"
#include "settings/settings_layout.h"
#include "settings/settings_rules.h"
#include "settings/settings_window.h"
#include "ui/qt/widgets/picture_buttons.h"
#include "ui/qt/widgets/picture_control.h"
#include "ui/qt/widgets/picture_files.h"

namespace veyra {
namespace {

using namespace settings;

QImage Required(std::optional<QImage> picture, const char* path, const std::string& why) {
  if (!picture) throw Error(std::string("cannot load ") + path + ": " + why);
  return *picture;
}

QImage BitmapPicture(const char* path) {
  std::string why;
  std::optional<QImage> picture = LoadPlatformBitmap(path, &why);
  return Required(std::move(picture), path, why);
}

QImage JpegPicture(const char* path) {
  std::string why;
  std::optional<QImage> picture = LoadJpegPicture(path, &why);
  return Required(std::move(picture), path, why);
}

Rect BoundsOf(const QWidget& control) {
  const QRect at = control.geometry();
  return {at.x(), at.y(), at.width(), at.height()};
}

void Place(PictureControl& control, Point at) {
  control.move(at.left, at.top);
}

}  // namespace

TSetScreenFM::TSetScreenFM(bool traditional_locale, ShowMessage show_message, QWidget* parent)
    : QWidget(parent, Qt::Window),
      traditional_locale_(traditional_locale),
      show_message_(std::move(show_message)) {
  if (!show_message_) {
    show_message_ = [this](const QString& text) {
      QMessageBox::information(this, QCoreApplication::applicationName(), text);
    };
  }
  const auto make = [this](Point at) {
    auto* control = new PictureControl(this);
    control->SetAutoSize(true);
    Place(*control, at);
    return control;
  };
  // Stacked as designed: the background below, the marks and buttons on it.
  Image1 = make(kImage1At);
  Image2 = make(kImage2At);
  Image3 = make(kImage3At);
  Image6 = make(kImage6At);
  Image7 = make(kImage7At);
  Image8 = make(kImage8At);
  Image4 = make(kImage4At);
  Image5 = make(kImage5At);
  Image1->installEventFilter(this);

  buttons_ = new PictureButtons(this);
  buttons_->Add(Image4, {[this](MouseButton) { Image4MouseDown(); }, nullptr, nullptr});
  buttons_->Add(Image5, {[this](MouseButton) { Image5MouseDown(); }, nullptr, nullptr});
  buttons_->Add(Image6, {nullptr, [this] { Image6Click(); }, nullptr});
  buttons_->Add(Image7, {nullptr, [this] { Image7Click(); }, nullptr});
  buttons_->Add(Image8, {nullptr, [this] { Image8Click(); }, nullptr});
  FormCreate();
}

void TSetScreenFM::FormCreate() {
  // Start-up goes on whatever happens here: a failure ends this step quietly, as the
  // application's handler would drop it.
  try {
    LoadSettings();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "VeyraOnline: settings window: %s\n", error.what());
  }
}

void TSetScreenFM::LoadSettings() {
  settings_ = LoadSettingsFile(traditional_locale_);

  Place(*Image1, kImage1At);
  Image1->SetPicture(
      BitmapPicture(traditional_locale_ ? kTraditionalBackground : kSimplifiedBackground));
  resize(Image1->size());

  const QSize screen = QGuiApplication::primaryScreen()->size();
  const Point at =
      CentredOnScreen({Image1->width(), Image1->height()}, {screen.width(), screen.height()});
  move(at.left, at.top);
  setWindowTitle(QString::fromUtf8(kCaption.data(), static_cast<qsizetype>(kCaption.size())));

  const QImage mark = BitmapPicture(kCheckMarkPicture);
  for (auto [control, at] :
       {std::pair{Image2, kImage2At}, std::pair{Image3, kImage3At}, std::pair{Image6, kImage6At},
        std::pair{Image7, kImage7At}, std::pair{Image8, kImage8At}}) {
    control->SetPicture(mark);
    Place(*control, at);
  }
  ShowMarks(MarksOf(settings_));

  Image4->SetPicture(JpegPicture(kOkPicture));
  Place(*Image4, kImage4At);
  Image5->SetPicture(JpegPicture(kCancelPicture));
  Place(*Image5, kImage5At);
}

bool TSetScreenFM::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
    const QPoint at = Image1->mapTo(this, static_cast<QMouseEvent*>(event)->position().toPoint());
    Image1MouseDown(at.x(), at.y());
  }
  return QWidget::eventFilter(watched, event);
}

void TSetScreenFM::Image1MouseDown(int x, int y) {
  settings::Image1MouseDown(*this, settings_, x, y);
}

void TSetScreenFM::Image4MouseDown() {
  settings::Image4MouseDown(*this, settings_, traditional_locale_);
}

void TSetScreenFM::Image5MouseDown() {
  settings::Image5MouseDown(*this);
}

void TSetScreenFM::Image6Click() {
  settings::Image6Click(settings_);
}

void TSetScreenFM::Image7Click() {
  ShowClosedChoiceMessage(*this);
}

void TSetScreenFM::Image8Click() {
  ShowClosedChoiceMessage(*this);
}

MarkBounds TSetScreenFM::MarkPlaces() const {
  return {BoundsOf(*Image2), BoundsOf(*Image3), BoundsOf(*Image6), BoundsOf(*Image7),
          BoundsOf(*Image8)};
}

void TSetScreenFM::ShowMarks(const SettingsMarks& marks) {
  Image2->setVisible(marks.full_screen);
  Image3->setVisible(marks.window);
  Image6->setVisible(marks.full_memory);
  Image7->setVisible(marks.half_memory);
  Image8->setVisible(marks.short_memory);
}

void TSetScreenFM::Inform(const std::string& text) {
  show_message_(QString::fromStdString(text));
}

void TSetScreenFM::HideWindow() {
  hide();
}

void ShowSettingsWindow(TSetScreenFM& window) {
  window.show();
  window.raise();
  window.activateWindow();
  window.LoadSettings();
}

}  // namespace veyra
