#include <gtest/gtest.h>
#include <windows.h>

#include "bmp_file.h"
#include "support/scoped_hooks.h"
#include "support/temp_folder.h"
#include "ui/win32/base/message_loop.h"
#include "ui/win32/launcher/tmain_fm.h"

namespace veyra::win32 {
namespace {

using testing::SolidBmp;
using veyra::testing::TempFolder;

// A game folder with the Traditional launcher artwork (or parts of it), made the current folder.
class LauncherWindowTest : public ::testing::Test {
 protected:
  LauncherWindowTest() { SetCurrentDirectoryW(game_.path().c_str()); }
  ~LauncherWindowTest() override { SetCurrentDirectoryW(L"C:\\"); }
  void WriteBackground() { game_.Write("Upimg/Main_Img1c.bmp", SolidBmp(640, 480, 10, 20, 90)); }
  void WriteStrip() { game_.Write("Upimg/Main_Img2C.Bmp", SolidBmp(960, 55, 200, 180, 40)); }
  static SIZE WindowSize(const TMainFM& launcher) {
    RECT rect;
    GetWindowRect(launcher.handle(), &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
  }

  TempFolder game_;
  veyra::testing::ScopedSleepHook no_pauses_{[](int) {}};
};

TEST_F(LauncherWindowTest, TakesItsBackgroundsSizeAndDragsByAllButTheClickAreas) {
  WriteBackground();
  WriteStrip();
  TMainFM launcher({}, true);
  EXPECT_EQ(WindowSize(launcher).cx, 640);
  EXPECT_EQ(WindowSize(launcher).cy, 480);
  ASSERT_TRUE(launcher.HasButtons());
  SetWindowPos(launcher.handle(), nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const struct {
    int x, y;
    LRESULT answer;
  } cases[] = {
      {72 + 101, 346 + 39, HTCLIENT},  // button 1's click area, last pixel
      {72 + 102, 346, HTCAPTION},      // on button 1's picture, right of its click area
      {72, 346 + 40, HTCAPTION},       // below it
      {449, 346, HTCLIENT},            // button 4
      {5, 5, HTCAPTION},               // background
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SendMessageW(launcher.handle(), WM_NCHITTEST, 0, MAKELPARAM(50 + c.x, 40 + c.y)),
              c.answer)
        << c.x << "," << c.y;
  }
}

TEST_F(LauncherWindowTest, ExitKeepsItsPressedPictureAndEndsTheProgram) {
  WriteBackground();
  WriteStrip();
  ClearTermination();
  TMainFM launcher({}, true);
  SetWindowPos(launcher.handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  // A real click on button 4's click area, as the window receives it.
  SendMessageW(launcher.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(460, 350));
  SendMessageW(launcher.handle(), WM_LBUTTONUP, 0, MAKELPARAM(460, 350));
  EXPECT_TRUE(launcher.ButtonPressedShown(4));
  EXPECT_EQ(RunMessageLoop(), 0);  // the posted close ends the loop
  EXPECT_TRUE(launcher.ButtonPressedShown(4));
  ClearTermination();
}

TEST_F(LauncherWindowTest, MissingArtworkEndsTheConstructionQuietly) {
  {
    TMainFM launcher({}, true);  // no background: the designed size, no buttons
    EXPECT_EQ(WindowSize(launcher).cx, 1288);
    EXPECT_EQ(WindowSize(launcher).cy, 1032);
    EXPECT_FALSE(launcher.HasButtons());
  }
  WriteBackground();
  TMainFM launcher({}, true);  // no strip: the background's size, no buttons
  EXPECT_EQ(WindowSize(launcher).cx, 640);
  EXPECT_FALSE(launcher.HasButtons());
}

}  // namespace
}  // namespace veyra::win32
