#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/current_folder.h"
#include "support/jpeg_writer.h"
#include "support/temp_folder.h"
#include "ui/win32/bmp_file.h"
#include "ui/win32/settings/tset_screen_fm.h"

namespace veyra::win32 {
namespace {

namespace fs = std::filesystem;

// A JPEG of one colour.
std::string Jpeg(int width, int height, unsigned char grey) {
  const std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3, grey);
  return veyra::testing::CompressJpeg(width, height, 3, JCS_RGB, pixels);
}

constexpr char kDefaultFile[] = "WindowScreen\r\nComplexities\r\nFullMemory\r\n";

// The settings window over a game folder with its artwork, as the current folder.
class SettingsWindow : public ::testing::Test {
 protected:
  SettingsWindow() {
    folder_.Write("Upimg/colorform.bmp", testing::SolidBmp(330, 360, 200, 200, 200));
    folder_.Write("Upimg/chkbtndn.bmp", testing::SolidBmp(24, 24, 20, 20, 20));
    folder_.Write("Upimg/CheckOK_1.jpg", Jpeg(100, 40, 90));
    folder_.Write("Upimg/CheckOK_2.jpg", Jpeg(100, 40, 60));
  }

  void Open(const char* file) {
    if (file) folder_.Write("sinfo.txt", file);
    window_ = std::make_unique<TSetScreenFM>(
        true, [this](const std::wstring& text) { messages_.push_back(text); });
  }
  // A press and release of the left button at (x, y) in the window's client area.
  void Click(int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    SendMessageW(window_->handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window_->handle(), WM_LBUTTONUP, 0, at);
  }
  bool Visible(PictureId id) const { return window_->Pictures()[id].visible; }

  veyra::testing::TempFolder folder_;
  veyra::testing::ScopedCurrentFolder current_{folder_.path()};
  std::unique_ptr<TSetScreenFM> window_;
  std::vector<std::wstring> messages_;
};

TEST_F(SettingsWindow, CreationWritesAMissingFileAndLaysTheWindowOut) {
  Open(nullptr);
  EXPECT_EQ(folder_.Read("sinfo.txt"), kDefaultFile);
  EXPECT_FALSE(IsWindowVisible(window_->handle()));
  RECT client{};
  GetClientRect(window_->handle(), &client);
  EXPECT_EQ(client.right, 330);
  EXPECT_EQ(client.bottom, 360);
  EXPECT_TRUE(Visible(window_->Image3));  // window mode
  EXPECT_FALSE(Visible(window_->Image2));
  EXPECT_TRUE(Visible(window_->Image6));  // full memory
}

TEST_F(SettingsWindow, OkWritesTheChoicesAndHides) {
  Open("WindowScreen\r\nSimplified\r\nHalfMemory\r\n");
  ShowWindow(window_->handle(), SW_SHOW);
  Click(53 + 5, 34 + 5);   // the hidden full-screen mark
  Click(53 + 5, 150 + 5);  // the hidden full-memory mark
  EXPECT_TRUE(Visible(window_->Image2));
  EXPECT_FALSE(Visible(window_->Image3));
  Click(40 + 5, 302 + 5);  // OK
  EXPECT_EQ(folder_.Read("sinfo.txt"), "FullScreen\r\nComplexities\r\nFullMemory\r\n");
  EXPECT_FALSE(IsWindowVisible(window_->handle()));
}

TEST_F(SettingsWindow, CancelAndClosedChoicesLeaveTheFileAlone) {
  Open("FullScreen\r\n");
  ShowWindow(window_->handle(), SW_SHOW);
  EXPECT_TRUE(Visible(window_->Image8));  // a missing third line reads as short memory
  Click(53 + 5, 77 + 5);                  // window mode
  Click(53 + 5, 200 + 5);                 // half memory: not open yet
  EXPECT_EQ(messages_, std::vector<std::wstring>{L"本功能暫不開放"});
  EXPECT_TRUE(Visible(window_->Image8));
  Click(180 + 5, 302 + 5);  // cancel
  EXPECT_FALSE(IsWindowVisible(window_->handle()));
  EXPECT_EQ(folder_.Read("sinfo.txt"), "FullScreen\r\n");
  // Opened again, it shows the file's choice, not the abandoned one.
  window_->LoadSettings();
  EXPECT_TRUE(Visible(window_->Image2));
}

}  // namespace
}  // namespace veyra::win32
