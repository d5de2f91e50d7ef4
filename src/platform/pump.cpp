#include "platform/pump.h"

#include <chrono>
#include <future>
#include <thread>

namespace veyra {
namespace {

std::function<void()>& PumpHook() {
  static std::function<void()> hook;
  return hook;
}

std::function<void(int)>& SleepHook() {
  static std::function<void(int)> hook;
  return hook;
}

}  // namespace

void PumpMessages() {
  // A copy, so that a hook may replace itself while it runs.
  if (auto hook = PumpHook()) hook();
}

void SetPumpHook(std::function<void()> hook) {
  PumpHook() = std::move(hook);
}

void RunWhilePumping(const std::function<void()>& blocking) {
  std::future<void> done = std::async(std::launch::async, blocking);
  do {
    PumpMessages();
  } while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready);
  done.get();
}

void Sleep(int ms) {
  if (auto hook = SleepHook()) {
    hook(ms);
  } else if (ms > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

void SetSleepHook(std::function<void(int)> hook) {
  SleepHook() = std::move(hook);
}

}  // namespace veyra
