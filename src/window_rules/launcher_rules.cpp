#include "window_rules/launcher_rules.h"

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

Rect ButtonStripFrame(int button, ButtonState state) {
  if (button < 1 || button > kButtonCount) {
    throw Error("no launcher button " + std::to_string(button));
  }
  const int frame = (button - 1) * 2 + (static_cast<int>(state) - 1);
  return {kButtonPictureSize.width * frame, 0, kButtonPictureSize.width, kButtonPictureSize.height};
}

const char* LauncherBackgroundFile(bool traditional_locale) {
  return traditional_locale ? kTraditionalBackground : kSimplifiedBackground;
}

const char* LauncherButtonStripFile(bool traditional_locale) {
  return traditional_locale ? kTraditionalButtonStrip : kSimplifiedButtonStrip;
}

}  // namespace veyra::launcher
