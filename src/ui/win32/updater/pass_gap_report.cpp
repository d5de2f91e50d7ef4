#include "ui/win32/updater/pass_gap_report.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/pump.h"
#include "ui/win32/base/message_loop.h"

namespace veyra::win32 {
namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point last_batch;
Clock::duration longest_gap{};

}  // namespace

PassGapReport::PassGapReport(bool active) {
  const char* file = std::getenv("VEYRA_REPORT_EVENT_GAPS");
  if (!active || file == nullptr || *file == '\0') return;
  file_ = file;
  last_batch = Clock::now();
  longest_gap = {};
  SetPumpHook([] {
    const Clock::time_point now = Clock::now();
    longest_gap = std::max(longest_gap, now - last_batch);
    PumpMessages();
    last_batch = Clock::now();
  });
}

PassGapReport::~PassGapReport() {
  if (file_ == nullptr) return;
  InstallMessagePump();
  if (FILE* out = std::fopen(file_, "w")) {
    std::fprintf(out, "%.1f\n", std::chrono::duration<double, std::milli>(longest_gap).count());
    std::fclose(out);
  }
}

}  // namespace veyra::win32
