#include "settings/settings_rules.h"

#include <gtest/gtest.h>

#include "settings/settings_layout.h"

namespace veyra::settings {
namespace {

constexpr Size kMark{20, 20};

Rect At(Point at) {
  return {at.left, at.top, kMark.width, kMark.height};
}

const MarkBounds kMarks{At(kImage2At), At(kImage3At), At(kImage6At), At(kImage7At), At(kImage8At)};

constexpr GameSettings kWindowShort{DisplayMode::kWindow, MemoryMode::kShortMemory};
constexpr GameSettings kFullScreenHalf{DisplayMode::kFullScreen, MemoryMode::kHalfMemory};

TEST(SettingsMarks, ExactlyOneDisplayAndOneMemoryMarkShows) {
  EXPECT_EQ(MarksOf({DisplayMode::kFullScreen, MemoryMode::kFullMemory}),
            (SettingsMarks{true, false, true, false, false}));
  EXPECT_EQ(MarksOf({DisplayMode::kWindow, MemoryMode::kHalfMemory}),
            (SettingsMarks{false, true, false, true, false}));
  EXPECT_EQ(MarksOf({DisplayMode::kWindow, MemoryMode::kShortMemory}),
            (SettingsMarks{false, true, false, false, true}));
}

TEST(SettingsBackgroundPress, ChoosesByTheAreaOfEachMark) {
  struct Case {
    int x;
    int y;
    GameSettings current;
    BackgroundPress expected;
  };
  const Case cases[] = {
      // Display marks: the edges of the full-screen mark's area.
      {53, 34, kWindowShort, {{DisplayMode::kFullScreen, MemoryMode::kShortMemory}, false}},
      {72, 53, kWindowShort, {{DisplayMode::kFullScreen, MemoryMode::kShortMemory}, false}},
      {73, 34, kWindowShort, {kWindowShort, false}},
      {53, 54, kWindowShort, {kWindowShort, false}},
      {52, 34, kWindowShort, {kWindowShort, false}},
      {60, 80, kFullScreenHalf, {{DisplayMode::kWindow, MemoryMode::kHalfMemory}, false}},
      // Memory marks: full memory is chosen, the other two are answered and change nothing.
      {60, 155, kWindowShort, {{DisplayMode::kWindow, MemoryMode::kFullMemory}, false}},
      {60, 205, kWindowShort, {kWindowShort, true}},
      {60, 258, kFullScreenHalf, {kFullScreenHalf, true}},
      {72, 272, kFullScreenHalf, {kFullScreenHalf, true}},
      {60, 273, kFullScreenHalf, {kFullScreenHalf, false}},
      // The background between the marks.
      {150, 120, kWindowShort, {kWindowShort, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Image1MouseDown(c.current, kMarks, c.x, c.y), c.expected) << c.x << "," << c.y;
  }
}

TEST(SettingsBackgroundPress, HalfMemoryEndsThePressBeforeShortMemory) {
  // Overlapping marks: the half-memory answer stops, so a press answers once.
  MarkBounds overlapping = kMarks;
  overlapping.short_memory = overlapping.half_memory;
  EXPECT_EQ(Image1MouseDown(kWindowShort, overlapping, 60, 205),
            (BackgroundPress{kWindowShort, true}));
  // A full-memory area that overlaps short memory both chooses and answers.
  overlapping.short_memory = overlapping.full_memory;
  EXPECT_EQ(Image1MouseDown(kWindowShort, overlapping, 60, 155),
            (BackgroundPress{{DisplayMode::kWindow, MemoryMode::kFullMemory}, true}));
}

}  // namespace
}  // namespace veyra::settings
