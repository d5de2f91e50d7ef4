#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "window_rules/geometry.h"
#include "window_rules/launcher_layout.h"

namespace veyra::launcher {

// Answers of the launcher's non-client hit test, with the platform's values.
enum class HitTestResult : int {
  kClient = 1,   // HTCLIENT: the button picture under the pointer takes the mouse
  kCaption = 2,  // HTCAPTION: a press drags the window
};

// The button (1..4) whose click area holds the point (x, y), relative to the launcher window's
// top-left corner, or none. A click area is kButtonClickAreaSize from the button's ButtonPos.
std::optional<int> LauncherButtonAt(int x, int y);

// The launcher's hit test for a point that the platform's own hit test finds in the client
// area (any other answer of the platform is kept as it is, without asking here): client area
// on a button's click area, caption everywhere else, so the borderless window is dragged by
// its background and by the outer part of each button picture.
HitTestResult WMNCHitTest(int x, int y);

// The frame of button `button` (1..4) in state `state` in the button strip: the k-th of eight
// frames of kButtonPictureSize side by side, k = (button - 1) * 2 + (state - 1). Throws
// veyra::Error for a button outside 1..4.
Rect ButtonStripFrame(int button, ButtonState state);

// The launcher's artwork for the locale test IsTraditionalLocale().
const char* LauncherBackgroundFile(bool traditional_locale);
const char* LauncherButtonStripFile(bool traditional_locale);

// The window the web button opens: the service agreement window (shown beside the launcher) on a
// Traditional-Chinese system, the full-screen home page window (shown modally) on any other.
enum class WebWindow { kAgreement, kHomePage };
WebWindow WebButtonWindow(bool traditional_locale);

// The name a screen reader gives button `button` (1..4): its action in the display language
// `language_code` ("t" Traditional Chinese, "s" Simplified Chinese, anything else English), as
// UTF-8. Throws veyra::Error for a button outside 1..4.
std::string LauncherButtonName(int button, std::string_view language_code);

}  // namespace veyra::launcher
