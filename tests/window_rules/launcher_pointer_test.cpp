#include "window_rules/launcher_pointer.h"

#include <gtest/gtest.h>

namespace veyra::launcher {
namespace {

constexpr Point kWindow{300, 200};

// The screen point of (x, y) in the window.
Point OnWindow(int x, int y) {
  return {kWindow.left + x, kWindow.top + y};
}

TEST(LauncherPointer, PressesAreRoutedByTheHitTestOfTheWindowPoint) {
  struct Case {
    Point pointer;
    MouseButton button;
    PressRoute route;
  };
  const Case cases[] = {
      {OnWindow(72 + 101, 346 + 39), MouseButton::kLeft, PressRoute::kToPicture},
      {OnWindow(449, 346), MouseButton::kRight, PressRoute::kToPicture},
      {OnWindow(72 + 102, 346), MouseButton::kLeft, PressRoute::kMoveWindow},
      {OnWindow(72, 346 + 40), MouseButton::kLeft, PressRoute::kMoveWindow},
      {OnWindow(5, 5), MouseButton::kLeft, PressRoute::kMoveWindow},
      {OnWindow(72 + 110, 346 + 50), MouseButton::kRight, PressRoute::kIgnore},
      {OnWindow(5, 5), MouseButton::kMiddle, PressRoute::kIgnore},
      // The hit test takes the point relative to the window, not the screen point itself.
      {{72 + 101, 346 + 39}, MouseButton::kLeft, PressRoute::kMoveWindow},
  };
  for (const Case& c : cases) {
    LauncherPointer pointer;
    EXPECT_EQ(pointer.Press(c.pointer, kWindow, c.button), c.route)
        << c.pointer.left << "," << c.pointer.top;
  }
}

TEST(LauncherPointer, OnlyReleasesOfPressesKeptFromThePicturesAreKept) {
  LauncherPointer pointer;
  pointer.Press(OnWindow(5, 5), kWindow, MouseButton::kRight);
  EXPECT_TRUE(pointer.Release(MouseButton::kRight));
  EXPECT_FALSE(pointer.Release(MouseButton::kRight)) << "kept once, for its own press only";

  pointer.Press(OnWindow(80, 350), kWindow, MouseButton::kLeft);
  EXPECT_FALSE(pointer.Release(MouseButton::kLeft));

  // A left drag with a right press on a picture meanwhile: each release follows its own press.
  pointer.Press(OnWindow(5, 5), kWindow, MouseButton::kLeft);
  pointer.Press(OnWindow(80, 350), kWindow, MouseButton::kRight);
  EXPECT_FALSE(pointer.Release(MouseButton::kRight));
  EXPECT_TRUE(pointer.Release(MouseButton::kLeft));
}

TEST(LauncherPointer, AWindowMovedByHandFollowsThePointerUntilTheLeftButtonComesUp) {
  LauncherPointer pointer;
  ASSERT_EQ(pointer.Press(OnWindow(10, 20), kWindow, MouseButton::kLeft), PressRoute::kMoveWindow);
  EXPECT_EQ(pointer.Move(OnWindow(40, 0)), std::nullopt) << "the window manager moves it";

  pointer.MoveByHand();
  EXPECT_EQ(pointer.Move(OnWindow(40, 0)), (Point{330, 180}));
  EXPECT_EQ(pointer.Move(OnWindow(0, 0)), (Point{290, 180}));
  pointer.Release(MouseButton::kRight);
  EXPECT_EQ(pointer.Move(OnWindow(10, 21)), (Point{300, 201})) << "only the left button ends it";

  pointer.Release(MouseButton::kLeft);
  EXPECT_EQ(pointer.Move(OnWindow(50, 50)), std::nullopt);
}

TEST(LauncherPointer, APressOnAButtonDoesNotMoveTheWindow) {
  LauncherPointer pointer;
  pointer.Press(OnWindow(10, 20), kWindow, MouseButton::kLeft);
  pointer.MoveByHand();
  pointer.Release(MouseButton::kLeft);
  pointer.Press(OnWindow(80, 350), kWindow, MouseButton::kLeft);
  EXPECT_EQ(pointer.Move(OnWindow(90, 360)), std::nullopt);
}

}  // namespace
}  // namespace veyra::launcher
