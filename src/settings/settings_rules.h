#pragma once

#include "settings/settings_file.h"
#include "window_rules/geometry.h"

// What the settings window decides: which marks it shows and what a press on its background
// chooses. The window keeps a GameSettings and draws the marks from it.
namespace veyra::settings {

// Which check marks are visible: exactly one display mark and one memory mark.
struct SettingsMarks {
  bool full_screen = false;   // Image2
  bool window = false;        // Image3
  bool full_memory = false;   // Image6
  bool half_memory = false;   // Image7
  bool short_memory = false;  // Image8
  bool operator==(const SettingsMarks&) const = default;
};
SettingsMarks MarksOf(const GameSettings& settings);

// The current bounds of the five marks, in the window's client pixels, visible or not.
struct MarkBounds {
  Rect full_screen;   // Image2
  Rect window;        // Image3
  Rect full_memory;   // Image6
  Rect half_memory;   // Image7
  Rect short_memory;  // Image8
};

// The outcome of a press on the background.
struct BackgroundPress {
  GameSettings settings;
  bool closed_choice = false;  // answer with kClosedChoiceMessage
  bool operator==(const BackgroundPress&) const = default;
};

// Image1MouseDown: a press of any mouse button at (x, y) on the background, which a visible mark
// covers, so this is how a hidden mark's choice is made. The full-screen mark's area chooses full
// screen, else the window mark's area window mode; the full-memory area chooses full memory,
// else the half-memory area answers that the choice is closed and ends there; the short-memory
// area answers the same. Nothing else changes.
BackgroundPress Image1MouseDown(const GameSettings& current, const MarkBounds& marks, int x, int y);

}  // namespace veyra::settings
