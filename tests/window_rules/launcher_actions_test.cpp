#include "window_rules/launcher_actions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scoped_hooks.h"

namespace veyra::launcher {
namespace {

// Records what the rules ask of the window, pauses included.
class RecordingWindow : public LauncherWindowPort {
 public:
  std::vector<std::string> calls;
  bool has_updater = true;

  void ShowButtonState(int button, ButtonState state) override {
    calls.push_back(std::to_string(button) +
                    (state == ButtonState::kPressed ? " pressed" : " normal"));
  }
  bool RunUpdaterWindow() override {
    calls.push_back("updater");
    return has_updater;
  }
  void ShowAgreementWindow() override { calls.push_back("agreement"); }
  void ShowHomePageWindow() override { calls.push_back("home page"); }
  void ShowSettingsWindow() override { calls.push_back("settings"); }
  void CloseLauncher() override { calls.push_back("close"); }
  void Terminate() override { calls.push_back("terminate"); }
};

TEST(LauncherActions, EachButtonShowsItsFeedbackBeforeItsWork) {
  using Calls = std::vector<std::string>;
  const struct {
    const char* what;
    void (*click)(LauncherWindowPort&);
    Calls expected;
  } cases[] = {
      {"update", &UpdateClick, {"1 pressed", "pause 200", "1 normal", "updater", "terminate"}},
      {"web, Traditional",
       [](LauncherWindowPort& w) { WebClick(w, true); },
       {"2 pressed", "pause 200", "2 normal", "agreement"}},
      {"web, other",
       [](LauncherWindowPort& w) { WebClick(w, false); },
       {"2 pressed", "pause 200", "2 normal", "home page"}},
      {"settings", &SettingsClick, {"3 pressed", "pause 200", "3 normal", "settings"}},
      {"exit keeps its pressed picture", &ExitClick, {"4 pressed", "pause 200", "close"}},
  };
  for (const auto& c : cases) {
    RecordingWindow window;
    testing::ScopedSleepHook pauses(
        [&](int ms) { window.calls.push_back("pause " + std::to_string(ms)); });
    c.click(window);
    EXPECT_EQ(window.calls, c.expected) << c.what;
  }
  RecordingWindow without_updater;
  without_updater.has_updater = false;
  testing::ScopedSleepHook no_pauses([](int) {});
  UpdateClick(without_updater);
  EXPECT_EQ(without_updater.calls, (std::vector<std::string>{"1 pressed", "1 normal", "updater"}));
}

}  // namespace
}  // namespace veyra::launcher
