#include "updater_window_fixture.h"

#include <QAbstractButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "platform/pump.h"
#include "ui/qt/dialogs/tform2.h"
#include "ui/qt/dialogs/tform3.h"
#include "ui/qt/qt_pump.h"
#include "ui/qt/widgets/picture_control.h"

namespace veyra::testing {

QColor PictureColour(const std::string& base, char suffix) {
  const size_t hash = std::hash<std::string>{}(base + suffix);
  return QColor::fromHsv(static_cast<int>(hash % 360), 200, 80 + static_cast<int>(hash % 160));
}

void UpdaterWindowTest::SetUp() {
  InstallQtMessagePump();
  answerer_.setInterval(5);
  QObject::connect(&answerer_, &QTimer::timeout, [this] { AnswerModal(); });
  answerer_.start();
}

void UpdaterWindowTest::TearDown() {
  answerer_.stop();
  form.reset();
  SetPumpHook(nullptr);
}

void UpdaterWindowTest::WritePictures(char suffix) {
  std::filesystem::create_directories(game.path() / "upimg");
  for (const PictureFile& file : kUpdaterPictures) {
    QImage image(file.width, file.height, QImage::Format_RGB888);
    image.fill(PictureColour(file.base, suffix));
    const std::string name = std::string(file.base) + suffix + ".jpg";
    ASSERT_TRUE(image.save(QString::fromStdString((game.path() / "upimg" / name).string()), "JPG"));
  }
}

void UpdaterWindowTest::RemovePicture(const std::string& base, char suffix) {
  std::filesystem::remove(game.path() / "upimg" / (base + suffix + ".jpg"));
}

void UpdaterWindowTest::WriteWeb0(const std::vector<std::string>& base_urls) {
  std::string text;
  for (size_t i = 0; i < base_urls.size(); ++i) {
    text += "Line" + std::to_string(i) + " " + base_urls[i] + " 80 30000\r\n";
  }
  game.Write("web0.dat", text + "end\r\n");
}

TForm1& UpdaterWindowTest::MakeForm(const std::string& language, std::vector<std::string> arguments,
                                    bool with_driver) {
  UpdaterWindowOptions options;
  options.language_code = language;
  options.end_process = [this] { ++process_ends; };
  options.make_page_panel = [this](QWidget* parent) {
    page = new RecordingPagePanel(parent);
    return page;
  };
  form = std::make_unique<TForm1>(arguments, std::move(options));
  form->engine().SetHttpTimeouts({2000, 2000});
  form->engine().SetRandomPick([](int low, int) { return low; });
  if (!with_driver) form->engine().DriverArmed = false;
  return *form;
}

void UpdaterWindowTest::ShowAndRunDriver() {
  form->show();
  const bool stopped = WaitUntil([this] {
    const RunOutcome outcome = form->engine().outcome();
    return outcome != RunOutcome::kNotStarted && !form->engine().PagePassRunning;
  });
  ASSERT_TRUE(stopped) << "the driver did not come to rest";
}

bool UpdaterWindowTest::WaitUntil(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeout_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qSleep(2);
  }
  return true;
}

int UpdaterWindowTest::RunInApplicationLoop(const std::function<void()>& scenario, int timeout_ms) {
  QTimer::singleShot(0, qApp, scenario);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    // Close whatever is still open so that every nested loop can return.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
        dialog->done(QDialog::Rejected);
      }
    }
    QCoreApplication::exit(kTimedOut);
  });
  watchdog.start(timeout_ms);
  return QApplication::exec();
}

void UpdaterWindowTest::PressAndRelease(QWidget* control, Qt::MouseButton button,
                                        std::optional<QPoint> release_at) {
  const QPoint centre = control->rect().center();
  QTest::mousePress(control, button, {}, centre);
  QTest::mouseRelease(control, button, {}, release_at.value_or(centre));
}

bool UpdaterWindowTest::Shows(const QWidget* control, const std::string& base, char suffix) {
  const auto* picture = qobject_cast<const PictureControl*>(control);
  if (picture == nullptr || picture->picture().isNull()) return false;
  const QImage& image = picture->picture();
  const QColor shown = image.pixelColor(image.width() / 2, image.height() / 2);
  const QColor expected = PictureColour(base, suffix);
  const auto near = [](int a, int b) { return std::abs(a - b) <= 12; };
  return near(shown.red(), expected.red()) && near(shown.green(), expected.green()) &&
         near(shown.blue(), expected.blue());
}

void UpdaterWindowTest::AnswerModal() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  if (auto* line = qobject_cast<TForm2*>(modal)) {
    modals_seen.push_back({"line", line->windowTitle(), {}});
    QWidget* confirm = line->Image1c->isVisible() ? line->Image1c : line->Image1s;
    QTest::mousePress(confirm, Qt::LeftButton, {}, confirm->rect().center());
    return;
  }
  if (auto* mode = qobject_cast<TForm3*>(modal)) {
    modals_seen.push_back({"mode", mode->windowTitle(), {}});
    if (on_mode_dialog) {
      on_mode_dialog(*mode);
    } else {
      mode->close();
    }
    return;
  }
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    const bool question = box->button(QMessageBox::Yes) != nullptr;
    modals_seen.push_back({question ? "question" : "information", box->windowTitle(), box->text()});
    if (on_message_box) on_message_box(*box);
    QAbstractButton* answer = question
                                  ? box->button(answer_yes ? QMessageBox::Yes : QMessageBox::No)
                                  : box->button(QMessageBox::Ok);
    if (answer != nullptr) answer->click();
  }
}

}  // namespace veyra::testing
