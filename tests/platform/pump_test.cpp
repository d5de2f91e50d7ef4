#include "platform/pump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/scoped_hooks.h"

namespace veyra {
namespace {

// The blocking call ends only once messages have run meanwhile: run on the pumping thread, it
// would wait out its bound and the test would fail.
TEST(RunWhilePumping, MessagesRunWhileTheBlockingCallWaits) {
  std::atomic<int> pumps = 0;
  testing::ScopedPumpHook hook{[&] { ++pumps; }};
  bool saw_pumps = false;
  RunWhilePumping([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (pumps < 3 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    saw_pumps = pumps >= 3;
  });
  EXPECT_TRUE(saw_pumps);
  EXPECT_THROW(RunWhilePumping([] { throw std::runtime_error("failed"); }), std::runtime_error);
}

}  // namespace
}  // namespace veyra
