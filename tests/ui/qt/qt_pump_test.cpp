#include "ui/qt/qt_pump.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "platform/pump.h"

namespace veyra {
namespace {

// A shown window that counts the user events delivered to it.
class CountingWindow : public QWidget {
 public:
  int user_events = 0;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) ++user_events;
    return QWidget::event(e);
  }
};

class QtPumpTest : public ::testing::Test {
 protected:
  void SetUp() override { window.show(); }
  void TearDown() override { SetPumpHook(nullptr); }

  // Destroying the window drops whatever is still queued for it, so no test sees another's.
  CountingWindow window;
};

TEST_F(QtPumpTest, PumpingRunsWhatIsQueuedForTheWindow) {
  ASSERT_TRUE(window.isVisible());
  InstallQtMessagePump();
  QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
  bool timer_ran = false;
  QTimer::singleShot(0, &window, [&] { timer_ran = true; });

  PumpMessages();
  EXPECT_EQ(window.user_events, 1);
  EXPECT_TRUE(timer_ran);
}

TEST_F(QtPumpTest, WithoutTheHookNothingQueuedRuns) {
  QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
  bool timer_ran = false;
  QTimer::singleShot(0, &window, [&] { timer_ran = true; });

  PumpMessages();
  EXPECT_EQ(window.user_events, 0);
  EXPECT_FALSE(timer_ran);

  InstallQtMessagePump();
  PumpMessages();
  EXPECT_EQ(window.user_events, 1);
  EXPECT_TRUE(timer_ran);
}

}  // namespace
}  // namespace veyra
