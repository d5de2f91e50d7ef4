#pragma once

namespace veyra {

// Makes veyra::PumpMessages() run Qt's event loop once (QCoreApplication::processEvents()), so
// that the windows keep painting and answering the player while the core waits inside a step.
// Call once, after the QApplication exists; it replaces any pump hook installed before.
void InstallQtMessagePump();

// A measuring hook for bench/run_window_bench.sh. With VEYRA_REPORT_EVENT_GAPS=1 in the
// environment, a report that is active measures, for its lifetime, the longest time between two
// successive batches of event processing (a PumpMessages() call or a wakeup of an event loop;
// time an event loop spends blocked waiting for events does not count, the program is idle
// then) and prints it on stderr when it ends, with how far into the step it ended, so that the
// step that blocks can be found. Without the variable it does nothing, and the
// pump is not touched: the measurement costs nothing in normal runs.
class EventGapReport {
 public:
  // `what` names the measured step in the printed line.
  EventGapReport(const char* what, bool active);
  ~EventGapReport();
  EventGapReport(const EventGapReport&) = delete;
  EventGapReport& operator=(const EventGapReport&) = delete;

 private:
  const char* what_;
  bool active_;
};

}  // namespace veyra
