#include "ui/win32/base/message_loop.h"

#include <vector>

#include "platform/pump.h"

namespace veyra::win32 {
namespace {

// Set by a quit request or a quit message; never cleared, as the program is on its way out.
bool termination_requested = false;

void Dispatch(const MSG& message) {
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM windows) {
  if (IsWindowVisible(window) && IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  }
  return TRUE;
}

}  // namespace

void PumpMessages() {
  MSG message;
  while (!termination_requested && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      termination_requested = true;
      break;
    }
    Dispatch(message);
  }
}

void InstallMessagePump() {
  SetPumpHook(&PumpMessages);
  SetSleepHook([](int ms) { ::Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); });
}

void RequestTermination() {
  termination_requested = true;
  PostQuitMessage(0);
}

bool TerminationRequested() {
  return termination_requested;
}

void ClearTermination() {
  termination_requested = false;
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

int RunMessageLoop() {
  MSG message;
  while (!termination_requested) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Dispatch(message);
  }
  termination_requested = true;
  return 0;
}

void RunModalLoop(HWND window) {
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow,
                    reinterpret_cast<LPARAM>(&disabled));
  std::erase(disabled, window);
  for (HWND other : disabled) EnableWindow(other, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  MSG message;
  while (!termination_requested && IsWindow(window) && IsWindowVisible(window)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      termination_requested = true;
      break;
    }
    Dispatch(message);
  }
  for (HWND other : disabled) {
    if (IsWindow(other)) EnableWindow(other, TRUE);
  }
}

void EndModal(HWND window) {
  ShowWindow(window, SW_HIDE);
  // Wakes a loop that waits for messages, so it sees the window gone at once.
  PostMessageW(nullptr, WM_NULL, 0, 0);
}

void RepaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace veyra::win32
