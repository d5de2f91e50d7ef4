#include "ui/qt/launcher/main_form.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <cstdio>

#include "platform/paths.h"
#include "startup/stale_update_state.h"
#include "ui/qt/launcher/veyra_application.h"
#include "ui/qt/widgets/contents_size.h"
#include "ui/qt/widgets/picture_buttons.h"
#include "ui/qt/widgets/picture_control.h"
#include "ui/qt/widgets/picture_files.h"
#include "window_rules/launcher_rules.h"

namespace veyra {

using launcher::ButtonState;

namespace {

// The whole logical pixel that holds a position given in (possibly fractional) logical pixels.
Point ScreenPixel(QPointF position) {
  return {static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y()))};
}

// The launcher whose creation installed the application's exception handler last; only it
// takes the handler away again when it goes.
const TMainFM* handler_installed_by = nullptr;

int StateIndex(ButtonState state) {
  return static_cast<int>(state) - 1;
}

}  // namespace

TMainFM::TMainFM(LauncherActions actions, LauncherLanguage language, QWidget* parent)
    : QWidget(parent), actions_(std::move(actions)), language_(std::move(language)) {
  // The designed window: Image1 covering it, without a picture yet.
  resize(launcher::kDesignedSize.width, launcher::kDesignedSize.height);
  image1_ = new PictureControl(this);
  image1_->setGeometry(0, 0, launcher::kDesignedSize.width, launcher::kDesignedSize.height);
  WatchMouse(this);
  WatchMouse(image1_);

  centre_when_shown_ = true;
  CleanUpStaleUpdateState(ProgramFolder());
  try {
    BuildWindow();
  } catch (...) {
    // A failing step ends the construction quietly; what was built stays.
  }
}

TMainFM::~TMainFM() {
  if (handler_installed_by == this) {
    VeyraApplication::SetExceptionHandler(nullptr);
    handler_installed_by = nullptr;
  }
}

void TMainFM::BuildWindow() {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);

  const std::optional<QImage> background =
      LoadBmpPicture(launcher::LauncherBackgroundFile(language_.traditional_locale));
  if (!background) return;
  image1_->move(0, 0);
  image1_->SetAutoSize(true);
  // A picture outside the reader's formats is an empty one: Image1 keeps its size.
  image1_->SetPicture(*background);
  resize(image1_->size());

  const std::optional<QImage> strip =
      LoadPlatformBitmap(launcher::LauncherButtonStripFile(language_.traditional_locale));
  if (!strip) return;
  CreateButtonImages(*strip);
  // Sized to its contents: a background smaller than the layout still shows every button.
  resize(ContentsSize(*this));

  buttons_ = new PictureButtons(this);
  const std::array<std::function<void()>, launcher::kButtonCount> clicks{
      [this] { UpdateClick(); }, [this] { WebClick(); }, [this] { SettingsClick(); },
      [this] { ExitClick(); }};
  for (int button = 1; button <= launcher::kButtonCount; ++button) {
    PictureButtons::Handlers handlers;
    handlers.click = clicks[button - 1];
    buttons_->Add(ButtonImage(button, ButtonState::kNormal), std::move(handlers));
  }

  VeyraApplication::SetExceptionHandler(&TMainFM::AppException);
  handler_installed_by = this;
}

void TMainFM::CreateButtonImages(const QImage& strip) {
  for (int button = 1; button <= launcher::kButtonCount; ++button) {
    const QString name =
        QString::fromStdString(launcher::LauncherButtonName(button, language_.language_code));
    for (const ButtonState state : {ButtonState::kNormal, ButtonState::kPressed}) {
      auto* picture = new PictureControl(this);
      const Point at = launcher::ButtonPos[button - 1];
      picture->setGeometry(at.left, at.top, launcher::kButtonPictureSize.width,
                           launcher::kButtonPictureSize.height);
      const Rect frame = launcher::ButtonStripFrame(button, state);
      picture->SetPicture(strip.copy(frame.left, frame.top, frame.width, frame.height));
      picture->setVisible(state == ButtonState::kNormal);
      picture->SetTransparent(true);
      picture->setAccessibleName(name);
      WatchMouse(picture);
      button_images_[button - 1][StateIndex(state)] = picture;
    }
  }
}

PictureControl* TMainFM::ButtonImage(int button, ButtonState state) const {
  if (button < 1 || button > launcher::kButtonCount) return nullptr;
  return button_images_[button - 1][StateIndex(state)];
}

void TMainFM::ShowButtonState(int button, ButtonState state) {
  PictureControl* normal = ButtonImage(button, ButtonState::kNormal);
  PictureControl* pressed = ButtonImage(button, ButtonState::kPressed);
  if (normal == nullptr || pressed == nullptr) return;
  normal->setVisible(state == ButtonState::kNormal);
  pressed->setVisible(state == ButtonState::kPressed);
  repaint();
}

bool TMainFM::RunUpdaterWindow() {
  if (!actions_.create_updater_window) return false;
  const std::unique_ptr<QDialog> updater = actions_.create_updater_window(this);
  if (!updater) return false;
  updater->move(updater->x(), y() - launcher::kUpdaterWindowRaise);
  updater->exec();
  return true;
}

void TMainFM::ShowAgreementWindow() {
  if (actions_.show_agreement_window) actions_.show_agreement_window();
}

void TMainFM::ShowHomePageWindow() {
  if (actions_.show_home_page_window) actions_.show_home_page_window();
}

void TMainFM::ShowSettingsWindow() {
  if (actions_.show_settings_window) actions_.show_settings_window();
}

void TMainFM::CloseLauncher() {
  close();
}

void TMainFM::Terminate() {
  RequestTermination();
}

void TMainFM::ButtonDown(int button) {
  launcher::ButtonDown(*this, button);
}

void TMainFM::ButtonUp(int button) {
  launcher::ButtonUp(*this, button);
}

void TMainFM::UpdateClick() {
  launcher::UpdateClick(*this);
}

void TMainFM::WebClick() {
  launcher::WebClick(*this, language_.traditional_locale);
}

void TMainFM::SettingsClick() {
  launcher::SettingsClick(*this);
}

void TMainFM::ExitClick() {
  launcher::ExitClick(*this);
}

void TMainFM::AppException(std::exception_ptr error) {
  std::fprintf(stderr, "%s: dropped exception: %s\n", launcher::kApplicationTitle,
               ExceptionText(error).c_str());
  std::fflush(stderr);
}

void TMainFM::WatchMouse(QWidget* widget) {
  widget->installEventFilter(this);
}

// Every press on the window or one of its pictures is hit-tested before a picture may see it,
// as the system asks the window before it hands a press to a control.
bool TMainFM::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      // The pointer's place on the window comes from the event's position on the widget it went
      // to: the screen position and the window's corner are each rounded to whole logical
      // pixels, so their difference can miss a click area's edge on a scaled screen.
      const Point screen = ScreenPixel(mouse->globalPosition());
      const Point on_window =
          ScreenPixel(static_cast<QWidget*>(watched)->mapTo(this, mouse->position()));
      const launcher::PressRoute route =
          pointer_.Press(screen, {screen.left - on_window.left, screen.top - on_window.top},
                         ToMouseButton(mouse->button()));
      if (route == launcher::PressRoute::kToPicture) return false;
      if (route == launcher::PressRoute::kMoveWindow) {
        // Without a window manager that can move it, the window follows the pointer by hand.
        QWindow* window = windowHandle();
        if (window == nullptr || !window->startSystemMove()) pointer_.MoveByHand();
      }
      return true;
    }
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (const std::optional<Point> to = pointer_.Move(ScreenPixel(mouse->globalPosition()))) {
        move(to->left, to->top);
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      return pointer_.Release(ToMouseButton(mouse->button()));
    }
    default:
      return QWidget::eventFilter(watched, event);
  }
}

void TMainFM::showEvent(QShowEvent* event) {
  if (centre_when_shown_) {
    centre_when_shown_ = false;
    const QRect screen_area = screen()->geometry();
    const Point at =
        CentredOnScreen({width(), height()}, {screen_area.width(), screen_area.height()});
    move(screen_area.x() + at.left, screen_area.y() + at.top);
  }
  QWidget::showEvent(event);
}

void TMainFM::closeEvent(QCloseEvent* event) {
  event->accept();
  // The main window: the program ends with it, whatever other windows are open.
  RequestTermination();
}

}  // namespace veyra
