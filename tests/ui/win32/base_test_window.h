#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "ui/win32/base/window.h"

namespace veyra::win32::testing {

// A plain top-level window for tests: every message first goes to `on_message`, which answers
// it by returning a result, or lets the default procedure answer by returning nothing.
class TestWindow : public Window {
 public:
  using Handler = std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)>;

  explicit TestWindow(Handler on_message = {}, RECT rect = {100, 100, 300, 250})
      : on_message_(std::move(on_message)) {
    CreateHandle(L"VeyraTestWindow", WS_POPUP, 0, L"test", rect, nullptr);
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (on_message_) {
      if (const std::optional<LRESULT> result = on_message_(message, wparam, lparam)) {
        return *result;
      }
    }
    return Window::HandleMessage(message, wparam, lparam);
  }

 private:
  Handler on_message_;
};

}  // namespace veyra::win32::testing
