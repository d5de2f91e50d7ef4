#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/paths.h"
#include "ui/win32/agreement/agreement_windows.h"
#include "ui/win32/settings/settings_window.h"

namespace veyra::win32 {
namespace {

// Lets the windows run until `done` holds or `seconds` have passed.
bool RunUntil(const std::function<bool()>& done, DWORD seconds) {
  const DWORD start = GetTickCount();
  MSG message;
  while (GetTickCount() - start < seconds * 1000) {
    if (done()) return true;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
  return done();
}

bool Shown(const wchar_t* caption) {
  HWND window = FindWindowW(nullptr, caption);
  return window != nullptr && IsWindowVisible(window);
}

// Not a test of its own: scripts/windows/click-settings-agreement runs it and acts as the player
// (clicks, screenshots) while the windows are up. It shows the settings window, waits until the
// player has closed it, then shows the agreement window and waits again.
TEST(ClickThrough, SettingsThenAgreement) {
  const char* folder = std::getenv("VEYRA_CLICK_THROUGH_FOLDER");
  if (folder == nullptr) GTEST_SKIP() << "run by scripts/windows/click-settings-agreement";
  SetProgramFolder(folder);
  std::filesystem::current_path(PathFromUtf8(folder));
  CreateAgreementWindow("http://127.0.0.1:9/account");
  CreateSettingsWindow();
  ShowSettingsWindow();
  ASSERT_TRUE(RunUntil([] { return !Shown(L"VeyraOnline"); }, 60));
  ShowAgreementWindow();
  ASSERT_TRUE(RunUntil([] { return !Shown(L"VeyraOnline合約說明"); }, 60));
}

}  // namespace
}  // namespace veyra::win32
