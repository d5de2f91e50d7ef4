#pragma once

#include <chrono>
#include <cstdint>

namespace veyra::win32 {

// A measuring hook for bench/run_wine_window_bench.sh: with VEYRA_REPORT_EVENT_GAPS=FILE in the
// environment, the longest time between two batches of message processing during the work it
// guards (the main pass) is written to FILE in milliseconds when it ends. Without the variable,
// or when not `active`, it does nothing.
class PassGapReport {
 public:
  explicit PassGapReport(bool active);
  ~PassGapReport();
  PassGapReport(const PassGapReport&) = delete;
  PassGapReport& operator=(const PassGapReport&) = delete;

 private:
  const char* file_ = nullptr;
};

}  // namespace veyra::win32
