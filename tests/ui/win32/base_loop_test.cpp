#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base_test_window.h"
#include "platform/pump.h"
#include "platform/support_log.h"
#include "ui/win32/base/message_loop.h"

namespace veyra::win32 {
namespace {

using testing::TestWindow;

constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kOpenInnerModal = WM_APP + 2;
constexpr UINT kTerminate = WM_APP + 3;
constexpr UINT_PTR kSafetyTimer = 1;

std::string SupportLogText() {
  std::ifstream file(SupportLogPath(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(AppException, AThrowInsideAWindowProcedureIsDroppedAndLogged) {
  TestWindow window([](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kThrow) throw std::runtime_error("thrown inside the procedure");
    return std::nullopt;
  });
  ASSERT_NE(window.handle(), nullptr);
  EXPECT_EQ(SendMessageW(window.handle(), kThrow, 0, 0), 0);
  EXPECT_NE(SupportLogText().find("dropped exception: thrown inside the procedure"),
            std::string::npos);
  // The window still works after the exception.
  EXPECT_TRUE(IsWindow(window.handle()));
  EXPECT_NE(SendMessageW(window.handle(), WM_NCHITTEST, 0, MAKELPARAM(150, 150)), 0);
}

// Termination requested inside a modal loop nested in another one ends both, and the pump that
// the core calls during long work stops dispatching.
TEST(MessageLoop, TerminationEndsEveryNestedModalLoop) {
  ClearTermination();
  InstallMessagePump();
  int loops_ended = 0;
  bool safety_fired = false;
  std::unique_ptr<TestWindow> inner;
  auto on_message = [&](UINT message, WPARAM id, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_TIMER && id == kSafetyTimer) {
      safety_fired = true;
      EndModal(inner->handle());
      return 0;
    }
    if (message == kTerminate) {
      RequestTermination();
      return 0;
    }
    return std::nullopt;
  };
  TestWindow outer([&](UINT message, WPARAM wparam, LPARAM lparam) -> std::optional<LRESULT> {
    if (message == kOpenInnerModal) {
      inner = std::make_unique<TestWindow>(on_message, RECT{150, 150, 250, 250});
      SetTimer(inner->handle(), kSafetyTimer, 10000, nullptr);
      PostMessageW(inner->handle(), kTerminate, 0, 0);
      RunModalLoop(inner->handle());
      ++loops_ended;
      return 0;
    }
    return on_message(message, wparam, lparam);
  });
  SetTimer(outer.handle(), kSafetyTimer, 15000, nullptr);
  PostMessageW(outer.handle(), kOpenInnerModal, 0, 0);
  RunModalLoop(outer.handle());
  ++loops_ended;

  EXPECT_EQ(loops_ended, 2);
  EXPECT_FALSE(safety_fired);
  EXPECT_TRUE(TerminationRequested());
  // The core's pump hook no longer dispatches anything.
  bool dispatched = false;
  TestWindow late([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_APP) dispatched = true;
    return std::nullopt;
  });
  PostMessageW(late.handle(), WM_APP, 0, 0);
  PumpMessages();
  EXPECT_FALSE(dispatched);
  ClearTermination();
}

TEST(MessageLoop, EndModalEndsOnlyItsOwnLoopAndReenablesTheOthers) {
  ClearTermination();
  TestWindow behind;
  ShowWindow(behind.handle(), SW_SHOW);
  TestWindow dialog([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_APP) {
      EXPECT_FALSE(IsWindowEnabled(behind.handle()));
      EndModal(dialog.handle());
      return 0;
    }
    return std::nullopt;
  });
  PostMessageW(dialog.handle(), WM_APP, 0, 0);
  RunModalLoop(dialog.handle());
  EXPECT_FALSE(TerminationRequested());
  EXPECT_FALSE(IsWindowVisible(dialog.handle()));
  EXPECT_TRUE(IsWindowEnabled(behind.handle()));
}

}  // namespace
}  // namespace veyra::win32
