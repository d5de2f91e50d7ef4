#include "settings/settings_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/error.h"
#include "settings/settings_layout.h"
#include "support/current_folder.h"
#include "support/temp_folder.h"

namespace veyra::settings {
namespace {

namespace fs = std::filesystem;

constexpr Size kMark{20, 20};

Rect At(Point at) {
  return {at.left, at.top, kMark.width, kMark.height};
}

// Records what the handlers ask of the window.
class RecordingWindow : public SettingsWindowPort {
 public:
  std::vector<std::string> calls;
  std::vector<SettingsMarks> marks_shown;

  MarkBounds MarkPlaces() const override {
    return {At(kImage2At), At(kImage3At), At(kImage6At), At(kImage7At), At(kImage8At)};
  }
  void ShowMarks(const SettingsMarks& marks) override {
    calls.push_back("marks");
    marks_shown.push_back(marks);
  }
  void Inform(const std::string& text) override { calls.push_back("message " + text); }
  void HideWindow() override { calls.push_back("hide"); }
};

const std::string kClosedChoice = "message 本功能暫不開放";

TEST(SettingsWindowPress, ShowsTheNewMarksThenAnswersAClosedChoice) {
  RecordingWindow window;
  GameSettings settings{DisplayMode::kWindow, MemoryMode::kShortMemory};
  Image1MouseDown(window, settings, kImage2At.left + 1, kImage2At.top + 1);
  EXPECT_EQ(settings, (GameSettings{DisplayMode::kFullScreen, MemoryMode::kShortMemory}));
  EXPECT_EQ(window.calls, (std::vector<std::string>{"marks"}));
  EXPECT_EQ(window.marks_shown.back(), MarksOf(settings));

  window.calls.clear();
  Image1MouseDown(window, settings, kImage7At.left + 1, kImage7At.top + 1);
  EXPECT_EQ(settings, (GameSettings{DisplayMode::kFullScreen, MemoryMode::kShortMemory}));
  EXPECT_EQ(window.calls, (std::vector<std::string>{"marks", kClosedChoice}));

  window.calls.clear();
  ShowClosedChoiceMessage(window);
  EXPECT_EQ(window.calls, (std::vector<std::string>{kClosedChoice}));

  Image6Click(settings);
  EXPECT_EQ(settings.memory, MemoryMode::kFullMemory);
}

// The settings file lives in the current folder: each test works in a folder of its own.
class SettingsWindowButtons : public ::testing::Test {
 protected:
  veyra::testing::TempFolder folder_;
  veyra::testing::ScopedCurrentFolder current_{folder_.path()};
  RecordingWindow window_;
};

TEST_F(SettingsWindowButtons, OkWritesBeforeHidingAndCancelOnlyHides) {
  Image5MouseDown(window_);
  EXPECT_EQ(window_.calls, (std::vector<std::string>{"hide"}));
  EXPECT_FALSE(fs::exists(folder_.path() / "sinfo.txt"));

  Image4MouseDown(window_, {DisplayMode::kFullScreen, MemoryMode::kHalfMemory}, true);
  EXPECT_EQ(window_.calls, (std::vector<std::string>{"hide", "hide"}));
  EXPECT_EQ(folder_.Read("sinfo.txt"), "FullScreen\r\nComplexities\r\nHalfMemory\r\n");
}

TEST_F(SettingsWindowButtons, AFailedWriteLeavesTheWindowOpen) {
  // A folder in the file's place cannot be replaced by a file.
  fs::create_directories(folder_.path() / "sinfo.txt" / "inside");
  EXPECT_THROW(Image4MouseDown(window_, kDefaultSettings, false), Error);
  EXPECT_TRUE(window_.calls.empty());
}

}  // namespace
}  // namespace veyra::settings
