#pragma once

#include <array>
#include <chrono>

#include "window_rules/geometry.h"

// The launcher window TMainFM: a borderless window drawn from a background picture, with four
// picture buttons cut from one strip of artwork.
namespace veyra::launcher {

// The application title: the task bar's name of the program and the caption of its plain
// message boxes.
inline constexpr const char* kApplicationTitle = "VeyraOnline";

// The launcher's buttons, numbered as ButtonPos and the strip count them.
enum LauncherButton : int {
  kUpdateButton = 1,    // UpdateClick: update and play
  kWebButton = 2,       // WebClick
  kSettingsButton = 3,  // SettingsClick
  kExitButton = 4,      // ExitClick
};
inline constexpr int kButtonCount = 4;

// The two pictures of a button; the strip holds them in this order for each button.
enum class ButtonState : int { kNormal = 1, kPressed = 2 };

// Top-left corner of each button's pictures and of its click area, for buttons 1..4 at
// ButtonPos[button - 1].
inline constexpr std::array<Point, kButtonCount> ButtonPos{{
    {72, 346},
    {197, 346},
    {322, 346},
    {449, 346},
}};

inline constexpr Size kButtonPictureSize{120, 55};
// Only this much of a picture, from its top-left corner, takes the mouse; the rest of the
// picture drags the window like the background does.
inline constexpr Size kButtonClickAreaSize{102, 40};

// The size of the window until its background picture gives it its own.
inline constexpr Size kDesignedSize{1288, 1032};

// How long a button shows its pressed picture before its action goes on.
inline constexpr std::chrono::milliseconds kPressedPause{200};

// The updater window's top edge is this far above the launcher's top edge.
inline constexpr int kUpdaterWindowRaise = 105;

// Artwork, relative to the current folder; the Traditional names for Traditional locales, the
// Simplified ones for every other locale.
inline constexpr const char* kTraditionalBackground = "Upimg\\Main_Img1c.bmp";
inline constexpr const char* kSimplifiedBackground = "Upimg\\Main_Img1s.bmp";
inline constexpr const char* kTraditionalButtonStrip = "Upimg\\Main_Img2C.Bmp";
inline constexpr const char* kSimplifiedButtonStrip = "Upimg\\Main_Img2S.bmp";

}  // namespace veyra::launcher
