#include "ui/qt/qt_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/pump.h"

namespace veyra {
namespace {

using Clock = std::chrono::steady_clock;

bool EventGapsRequested() {
  static const bool requested = [] {
    const char* value = std::getenv("VEYRA_REPORT_EVENT_GAPS");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
  }();
  return requested;
}

// The intervals between the starts of successive event batches while a report is active.
struct GapMeter {
  bool measuring = false;
  bool idle = true;  // no batch yet, or an event loop is blocked waiting
  Clock::time_point started;
  Clock::time_point last_batch;
  Clock::duration longest{};
  Clock::time_point longest_ended;  // where in the step the longest gap was, to find its cause
  std::uint64_t batches = 0;

  void Start() {
    measuring = true;
    idle = false;
    started = last_batch = Clock::now();
    longest = {};
    longest_ended = started;
    batches = 0;
  }
  // Closes the running interval at `now`.
  void CloseInterval(Clock::time_point now) {
    if (!idle && now - last_batch > longest) {
      longest = now - last_batch;
      longest_ended = now;
    }
  }
  void Batch() {
    if (!measuring) return;
    const Clock::time_point now = Clock::now();
    CloseInterval(now);
    last_batch = now;
    idle = false;
    ++batches;
  }
  void AboutToBlock() {
    if (!measuring) return;
    CloseInterval(Clock::now());
    idle = true;
  }
};

GapMeter& Meter() {
  static GapMeter meter;
  return meter;
}

}  // namespace

void InstallQtMessagePump() {
  if (!EventGapsRequested()) {
    SetPumpHook([] { QCoreApplication::processEvents(); });
    return;
  }
  SetPumpHook([] {
    Meter().Batch();
    QCoreApplication::processEvents();
  });
  // Nested event loops (message boxes, dialogs) run without the pump: their wakeups are batches
  // too, and their waits are idle time.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [] { Meter().Batch(); });
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                     [] { Meter().AboutToBlock(); });
  }
}

EventGapReport::EventGapReport(const char* what, bool active)
    : what_(what), active_(active && EventGapsRequested()) {
  if (active_) Meter().Start();
}

EventGapReport::~EventGapReport() {
  if (!active_) return;
  GapMeter& meter = Meter();
  const Clock::time_point now = Clock::now();
  meter.CloseInterval(now);
  meter.measuring = false;
  using Ms = std::chrono::duration<double, std::milli>;
  std::fprintf(stderr,
               "VeyraOnline: event gaps during the %s: longest %.1f ms (ending %.0f ms after its "
               "start), %llu batches in %.0f ms\n",
               what_, Ms(meter.longest).count(), Ms(meter.longest_ended - meter.started).count(),
               static_cast<unsigned long long>(meter.batches), Ms(now - meter.started).count());
  std::fflush(stderr);
}

}  // namespace veyra
