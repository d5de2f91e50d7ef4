#pragma once

#include <functional>

#include "platform/pump.h"

namespace veyra::testing {

// Installs pump and sleep hooks for one test and removes them afterwards, so that no test
// leaves a hook behind for the next one.
class ScopedPumpHook {
 public:
  explicit ScopedPumpHook(std::function<void()> hook) { SetPumpHook(std::move(hook)); }
  ~ScopedPumpHook() { SetPumpHook(nullptr); }
  ScopedPumpHook(const ScopedPumpHook&) = delete;
  ScopedPumpHook& operator=(const ScopedPumpHook&) = delete;
};

class ScopedSleepHook {
 public:
  explicit ScopedSleepHook(std::function<void(int)> hook) { SetSleepHook(std::move(hook)); }
  ~ScopedSleepHook() { SetSleepHook(nullptr); }
  ScopedSleepHook(const ScopedSleepHook&) = delete;
  ScopedSleepHook& operator=(const ScopedSleepHook&) = delete;
};

}  // namespace veyra::testing
