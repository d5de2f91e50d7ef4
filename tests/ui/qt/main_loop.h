#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <chrono>
#include <functional>

namespace veyra::testing {

// The exit code of a main loop that had to be stopped because it did not end by itself.
inline constexpr int kStoppedByWatchdog = 99;

// Runs the application's main loop as the program does, with `start` as its first event, and
// returns its exit code: what ended it, or kStoppedByWatchdog when it still ran after `limit`.
// Ending the loop resets Qt's request to end loops, so the next test starts clean.
inline int RunMainLoop(const std::function<void()>& start,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  QObject context;  // no timer of this run outlives it
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(kStoppedByWatchdog); });
  watchdog.start(limit);
  QTimer::singleShot(0, &context, start);
  return QApplication::exec();
}

// Lets events run until `condition` holds or `limit` has passed; returns the condition.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  QDeadlineTimer deadline(limit);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace veyra::testing
