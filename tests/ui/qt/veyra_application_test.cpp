#include "ui/qt/launcher/veyra_application.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QTimer>
#include <stdexcept>

#include "main_loop.h"

namespace veyra {
namespace {

using testing::kStoppedByWatchdog;
using testing::RunMainLoop;

// An object whose every user event throws.
class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("thrown by a handler");
    return QObject::event(e);
  }
};

// Installs an exception handler for one test and removes it afterwards.
class ScopedExceptionHandler {
 public:
  explicit ScopedExceptionHandler(VeyraApplication::ExceptionHandler handler) {
    VeyraApplication::SetExceptionHandler(std::move(handler));
  }
  ~ScopedExceptionHandler() { VeyraApplication::SetExceptionHandler(nullptr); }
};

TEST(VeyraApplication, AnInstalledHandlerGetsWhatAnEventHandlerThrows) {
  std::vector<std::string> handled;
  ScopedExceptionHandler installed(
      [&](std::exception_ptr error) { handled.push_back(ExceptionText(error)); });
  Thrower thrower;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
  EXPECT_EQ(handled, std::vector<std::string>{"thrown by a handler"});

  // A posted event is delivered by the event loop, which the exception must not cross.
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  EXPECT_EQ(handled.size(), 2u);
}

TEST(VeyraApplicationDeathTest, WithoutAHandlerAnExceptionEndsTheProgramWithItsText) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ASSERT_FALSE(VeyraApplication::HasExceptionHandler());
  EXPECT_DEATH(
      {
        Thrower thrower;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
      },
      "VeyraOnline: unhandled exception: thrown by a handler");
}

TEST(VeyraApplication, ExceptionTextNamesEveryKindOfException) {
  EXPECT_EQ(ExceptionText(std::make_exception_ptr(std::logic_error("bad state"))), "bad state");
  EXPECT_EQ(ExceptionText(std::make_exception_ptr(42)), "unknown exception");
}

// A termination asked for inside a modal window's loop, inside another waiting loop, ends all
// of them and the main loop; a modal window shown afterwards does not keep the program alive.
TEST(VeyraApplication, TerminationEndsEveryNestedLoopAndTheMainLoop) {
  std::vector<std::string> returned;
  const int code = RunMainLoop([&] {
    QDialog dialog;
    QTimer::singleShot(0, &dialog, [&] {
      QEventLoop waiting;
      QTimer::singleShot(0, &waiting, [] { RequestTermination(); });
      waiting.exec();
      returned.push_back("waiting loop");
    });
    dialog.exec();
    returned.push_back("modal window");

    QDialog later;
    later.exec();
    returned.push_back("later modal window");
  });
  EXPECT_EQ(code, 0) << "stopped by the watchdog: a loop outlived the termination";
  EXPECT_EQ(returned,
            (std::vector<std::string>{"waiting loop", "modal window", "later modal window"}));
}

TEST(VeyraApplication, TerminationIsNotUpToTheWindows) {
  class Stubborn : public QDialog {
   protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
  };
  const int code = RunMainLoop([] {
    Stubborn stubborn;
    QTimer::singleShot(0, &stubborn, [] { RequestTermination(); });
    stubborn.exec();
  });
  EXPECT_EQ(code, 0);
}

TEST(VeyraApplication, TheProgramIsTitledVeyraOnlineAndOutlivesItsLastWindow) {
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("VeyraOnline"));
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("VeyraOnline"));
  EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
}

TEST(VeyraApplication, TheFormsFacesHaveInstalledCounterparts) {
  struct Case {
    const char* asked;
    const char* family;  // nullptr: any fixed-pitch face
  };
  const Case cases[] = {
      {"新細明體", "AR PL UMing TW"},
      {"標楷體", "AR PL UKai TW"},
      {"Courier New", nullptr},
  };
  for (const Case& c : cases) {
    const QFontInfo info{QFont(QString::fromUtf8(c.asked))};
    if (c.family != nullptr) {
      EXPECT_EQ(info.family().toStdString(), c.family) << c.asked;
    } else {
      EXPECT_TRUE(info.fixedPitch()) << c.asked << " became " << info.family().toStdString();
    }
  }
}

TEST(VeyraApplication, TheBuiltInPicturesAreResources) {
  for (const char* name : {":/builtin/TForm1/Image1.jpg", ":/builtin/TForm2/Image0s.jpg",
                           ":/builtin/TForm3/Image3.jpg"}) {
    const QImage picture(QString::fromUtf8(name));
    EXPECT_FALSE(picture.isNull()) << name;
  }
  EXPECT_FALSE(QFile::exists(QStringLiteral(":/builtin/TForm1/Image5.jpg")));
}

}  // namespace
}  // namespace veyra
