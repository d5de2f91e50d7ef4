#include "settings/settings_rules.h"

namespace veyra::settings {

SettingsMarks MarksOf(const GameSettings& settings) {
  SettingsMarks marks;
  marks.full_screen = settings.display == DisplayMode::kFullScreen;
  marks.window = !marks.full_screen;
  marks.full_memory = settings.memory == MemoryMode::kFullMemory;
  marks.half_memory = settings.memory == MemoryMode::kHalfMemory;
  marks.short_memory = !marks.full_memory && !marks.half_memory;
  return marks;
}

BackgroundPress Image1MouseDown(const GameSettings& current, const MarkBounds& marks, int x,
                                int y) {
  BackgroundPress press{current, false};
  if (marks.full_screen.Contains(x, y)) {
    press.settings.display = DisplayMode::kFullScreen;
  } else if (marks.window.Contains(x, y)) {
    press.settings.display = DisplayMode::kWindow;
  }
  if (marks.full_memory.Contains(x, y)) {
    press.settings.memory = MemoryMode::kFullMemory;
  } else if (marks.half_memory.Contains(x, y)) {
    press.closed_choice = true;
    return press;
  }
  if (marks.short_memory.Contains(x, y)) press.closed_choice = true;
  return press;
}

}  // namespace veyra::settings
