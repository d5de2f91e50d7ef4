#include "ui/win32/settings/settings_window.h"

#include <memory>

#include "text/language.h"
#include "ui/win32/base/app_exception.h"
#include "ui/win32/settings/tset_screen_fm.h"

namespace veyra::win32 {
namespace {

// The settings window of start-up; it lives as long as the program.
std::unique_ptr<TSetScreenFM> settings_window;

}  // namespace

void CreateSettingsWindow() {
  settings_window = std::make_unique<TSetScreenFM>(IsTraditionalLocale());
}

void ShowSettingsWindow() {
  if (!settings_window) return;
  ShowWindow(settings_window->handle(), SW_SHOW);
  SetForegroundWindow(settings_window->handle());
  GuardedProcedure([] {
    settings_window->LoadSettings();
    return 0;
  });
}

}  // namespace veyra::win32
