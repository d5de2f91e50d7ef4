#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/error.h"
#include "support/temp_folder.h"

namespace veyra::settings {
namespace {

namespace fs = std::filesystem;

// The settings file lives in the current folder: each test works in a folder of its own.
class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFileTest() : previous_(fs::current_path()) { fs::current_path(folder_.path()); }
  ~SettingsFileTest() override { fs::current_path(previous_); }

  veyra::testing::TempFolder folder_;
  fs::path previous_;
};

TEST(ParseSettings, ReadsLinesOneAndThreeExactly) {
  struct Case {
    const char* text;
    GameSettings expected;
  };
  const Case cases[] = {
      {"WindowScreen\r\nSimplified\r\nFullMemory\r\n",
       {DisplayMode::kWindow, MemoryMode::kFullMemory}},
      {"FullScreen\r\nComplexities\r\nHalfMemory\r\n",
       {DisplayMode::kFullScreen, MemoryMode::kHalfMemory}},
      {"WindowScreen\nx\nShortMemory", {DisplayMode::kWindow, MemoryMode::kShortMemory}},
      {"WindowScreen\rx\rFullMemory", {DisplayMode::kWindow, MemoryMode::kFullMemory}},
      // Only the first line: the third reads as empty, which is short memory.
      {"FullScreen\r\n", {DisplayMode::kFullScreen, MemoryMode::kShortMemory}},
      {"", {DisplayMode::kFullScreen, MemoryMode::kShortMemory}},
      // Letter case and blanks count.
      {"windowscreen\r\n\r\nfullmemory\r\n", {DisplayMode::kFullScreen, MemoryMode::kShortMemory}},
      {"WindowScreen \r\n\r\n FullMemory\r\n",
       {DisplayMode::kFullScreen, MemoryMode::kShortMemory}},
      // The second line is never read back.
      {"WindowScreen\r\nFullMemory\r\nHalfMemory\r\n",
       {DisplayMode::kWindow, MemoryMode::kHalfMemory}},
      // A fourth line changes nothing.
      {"WindowScreen\r\n\r\nFullMemory\r\nFullScreen\r\n",
       {DisplayMode::kWindow, MemoryMode::kFullMemory}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSettings(c.text), c.expected) << c.text;
}

TEST(SettingsText, WritesThreeLinesWithTheLanguageOfTheSystem) {
  EXPECT_EQ(SettingsText({DisplayMode::kFullScreen, MemoryMode::kShortMemory}, true),
            "FullScreen\r\nComplexities\r\nShortMemory\r\n");
  EXPECT_EQ(SettingsText({DisplayMode::kWindow, MemoryMode::kHalfMemory}, false),
            "WindowScreen\r\nSimplified\r\nHalfMemory\r\n");
  EXPECT_EQ(SettingsText({DisplayMode::kWindow, MemoryMode::kFullMemory}, false),
            "WindowScreen\r\nSimplified\r\nFullMemory\r\n");
}

TEST_F(SettingsFileTest, AMissingFileIsCreatedWithTheDefaultInBothLocaleFamilies) {
  for (const bool traditional : {true, false}) {
    fs::remove(folder_.path() / "sinfo.txt");
    EXPECT_EQ(LoadSettingsFile(traditional), kDefaultSettings);
    EXPECT_EQ(folder_.Read("sinfo.txt"), traditional
                                             ? "WindowScreen\r\nComplexities\r\nFullMemory\r\n"
                                             : "WindowScreen\r\nSimplified\r\nFullMemory\r\n");
  }
}

TEST_F(SettingsFileTest, AnExistingFileIsReadAndLeftAlone) {
  folder_.Write("sinfo.txt", "FullScreen");
  EXPECT_EQ(LoadSettingsFile(true),
            (GameSettings{DisplayMode::kFullScreen, MemoryMode::kShortMemory}));
  EXPECT_EQ(folder_.Read("sinfo.txt"), "FullScreen");
}

TEST_F(SettingsFileTest, TheGamesSpellingNamesTheSameFile) {
  folder_.Write("Sinfo.txt", "FullScreen\r\nSimplified\r\nFullMemory\r\n");
  EXPECT_EQ(LoadSettingsFile(true),
            (GameSettings{DisplayMode::kFullScreen, MemoryMode::kFullMemory}));
  SaveSettingsFile({DisplayMode::kWindow, MemoryMode::kShortMemory}, true);
  EXPECT_EQ(folder_.Read("Sinfo.txt"), "WindowScreen\r\nComplexities\r\nShortMemory\r\n");
  EXPECT_FALSE(folder_.Exists("sinfo.txt"));
}

TEST_F(SettingsFileTest, SavingReplacesTheWholeFile) {
  folder_.Write("sinfo.txt", "WindowScreen\r\nComplexities\r\nFullMemory\r\nand a long tail\r\n");
  SaveSettingsFile({DisplayMode::kFullScreen, MemoryMode::kFullMemory}, false);
  EXPECT_EQ(folder_.Read("sinfo.txt"), "FullScreen\r\nSimplified\r\nFullMemory\r\n");
  EXPECT_FALSE(folder_.Exists("sinfo.txt.saving"));
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileWhole) {
  const std::string old_text = "WindowScreen\r\nComplexities\r\nFullMemory\r\n";
  folder_.Write("sinfo.txt", old_text);
  // The temporary file cannot be made where a folder holds its name (also for root).
  fs::create_directory(folder_.path() / "sinfo.txt.saving");
  EXPECT_THROW(SaveSettingsFile({DisplayMode::kFullScreen, MemoryMode::kShortMemory}, true), Error);
  EXPECT_EQ(folder_.Read("sinfo.txt"), old_text);
}

TEST_F(SettingsFileTest, AFailedReplaceRemovesItsTemporaryFile) {
  // A folder in the file's place cannot be replaced by a file.
  fs::create_directories(folder_.path() / "sinfo.txt" / "inside");
  EXPECT_THROW(SaveSettingsFile({DisplayMode::kFullScreen, MemoryMode::kShortMemory}, true), Error);
  EXPECT_FALSE(folder_.Exists("sinfo.txt.saving"));
  EXPECT_TRUE(fs::is_directory(folder_.path() / "sinfo.txt"));
}

TEST_F(SettingsFileTest, AnUnreadableFileIsNotOverwrittenWithTheDefault) {
  fs::create_directories(folder_.path() / "sinfo.txt" / "inside");
  EXPECT_THROW(LoadSettingsFile(true), Error);
  EXPECT_TRUE(fs::is_directory(folder_.path() / "sinfo.txt" / "inside"));
}

}  // namespace
}  // namespace veyra::settings
