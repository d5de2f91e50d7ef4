#include "window_rules/launcher_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/error.h"

namespace veyra::launcher {
namespace {

TEST(LauncherHitTest, OnlyTheClickAreaOfAButtonTakesTheMouse) {
  struct Case {
    int x;
    int y;
    std::optional<int> button;  // none: the press drags the window
  };
  std::vector<Case> cases = {
      {0, 0, std::nullopt},                // background
      {640, 700, std::nullopt},            // background
      {1287, 1031, std::nullopt},          // background
      {72 + 110, 346 + 50, std::nullopt},  // button 1's picture outside its click area
  };
  for (int button = 1; button <= kButtonCount; ++button) {
    const auto [left, top] = ButtonPos[button - 1];
    cases.push_back({left, top, button});
    cases.push_back({left + 101, top + 39, button});
    cases.push_back({left + 102, top, std::nullopt});
    cases.push_back({left, top + 40, std::nullopt});
    cases.push_back({left - 1, top, std::nullopt});
    cases.push_back({left, top - 1, std::nullopt});
  }
  for (const Case& c : cases) {
    EXPECT_EQ(LauncherButtonAt(c.x, c.y), c.button) << c.x << "," << c.y;
    EXPECT_EQ(WMNCHitTest(c.x, c.y), c.button ? HitTestResult::kClient : HitTestResult::kCaption)
        << c.x << "," << c.y;
  }
}

TEST(LauncherButtonStrip, EachButtonStateHasItsOwnFrame) {
  struct Case {
    int button;
    ButtonState state;
    int left;
  };
  const Case cases[] = {
      {1, ButtonState::kNormal, 0},   {1, ButtonState::kPressed, 120},
      {2, ButtonState::kNormal, 240}, {2, ButtonState::kPressed, 360},
      {3, ButtonState::kNormal, 480}, {3, ButtonState::kPressed, 600},
      {4, ButtonState::kNormal, 720}, {4, ButtonState::kPressed, 840},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ButtonStripFrame(c.button, c.state), (Rect{c.left, 0, 120, 55}))
        << c.button << "/" << static_cast<int>(c.state);
  }
  EXPECT_THROW(ButtonStripFrame(0, ButtonState::kNormal), Error);
  EXPECT_THROW(ButtonStripFrame(5, ButtonState::kPressed), Error);
}

TEST(LauncherArtwork, OnlyATraditionalLocaleGetsTheTraditionalPictures) {
  EXPECT_STREQ(LauncherBackgroundFile(true), "Upimg\\Main_Img1c.bmp");
  EXPECT_STREQ(LauncherBackgroundFile(false), "Upimg\\Main_Img1s.bmp");
  EXPECT_STREQ(LauncherButtonStripFile(true), "Upimg\\Main_Img2C.Bmp");
  EXPECT_STREQ(LauncherButtonStripFile(false), "Upimg\\Main_Img2S.bmp");
}

TEST(LauncherWebButton, OnlyATraditionalLocaleOpensTheAgreementWindow) {
  EXPECT_EQ(WebButtonWindow(true), WebWindow::kAgreement);
  EXPECT_EQ(WebButtonWindow(false), WebWindow::kHomePage);
}

TEST(LauncherButtonNames, EachButtonIsNamedInTheDisplayLanguage) {
  for (const char* code : {"t", "s", "n"}) {
    std::set<std::string> names;
    for (int button = 1; button <= kButtonCount; ++button) {
      names.insert(LauncherButtonName(button, code));
    }
    EXPECT_EQ(names.size(), 4u) << code << ": every button has a name of its own";
  }
  EXPECT_EQ(LauncherButtonName(kUpdateButton, "t"), "更新遊戲");
  EXPECT_EQ(LauncherButtonName(kUpdateButton, "s"), "更新游戏");
  EXPECT_EQ(LauncherButtonName(kExitButton, "n"), "Exit");
  // A code the program does not know reads as English, like every other display text.
  EXPECT_EQ(LauncherButtonName(kExitButton, "x"), LauncherButtonName(kExitButton, "n"));
  EXPECT_THROW(LauncherButtonName(5, "t"), Error);
}

}  // namespace
}  // namespace veyra::launcher
