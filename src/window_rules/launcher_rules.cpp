#include "window_rules/launcher_rules.h"

#include <array>
#include <string>

#include "platform/error.h"

namespace veyra::launcher {

std::optional<int> LauncherButtonAt(int x, int y) {
  for (int button = 1; button <= kButtonCount; ++button) {
    const Point at = ButtonPos[button - 1];
    const Rect click_area{at.left, at.top, kButtonClickAreaSize.width, kButtonClickAreaSize.height};
    if (click_area.Contains(x, y)) return button;
  }
  return std::nullopt;
}

HitTestResult WMNCHitTest(int x, int y) {
  return LauncherButtonAt(x, y) ? HitTestResult::kClient : HitTestResult::kCaption;
}

namespace {

void CheckButton(int button) {
  if (button < 1 || button > kButtonCount) {
    throw Error("no launcher button " + std::to_string(button));
  }
}

}  // namespace

Rect ButtonStripFrame(int button, ButtonState state) {
  CheckButton(button);
  const int frame = (button - 1) * 2 + (static_cast<int>(state) - 1);
  return {kButtonPictureSize.width * frame, 0, kButtonPictureSize.width, kButtonPictureSize.height};
}

const char* LauncherBackgroundFile(bool traditional_locale) {
  return traditional_locale ? kTraditionalBackground : kSimplifiedBackground;
}

const char* LauncherButtonStripFile(bool traditional_locale) {
  return traditional_locale ? kTraditionalButtonStrip : kSimplifiedButtonStrip;
}

WebWindow WebButtonWindow(bool traditional_locale) {
  return traditional_locale ? WebWindow::kAgreement : WebWindow::kHomePage;
}

std::string LauncherButtonName(int button, std::string_view language_code) {
  CheckButton(button);
  struct Names {
    const char* traditional;
    const char* simplified;
    const char* english;
  };
  static constexpr std::array<Names, kButtonCount> kNames{{
      {"更新遊戲", "更新游戏", "Update and play"},
      {"遊戲網站", "游戏网站", "Web site"},
      {"遊戲設定", "游戏设置", "Settings"},
      {"離開", "离开", "Exit"},
  }};
  const Names& names = kNames[button - 1];
  if (language_code == "t") return names.traditional;
  if (language_code == "s") return names.simplified;
  return names.english;
}

}  // namespace veyra::launcher
