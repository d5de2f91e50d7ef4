#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/error.h"
#include "support/child_limits.h"
#include "support/current_folder.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace veyra::settings {
namespace {

namespace fs = std::filesystem;

// The settings file lives in the current folder: each test works in a folder of its own.
class SettingsFileTest : public ::testing::Test {
 protected:
  veyra::testing::TempFolder folder_;
  veyra::testing::ScopedCurrentFolder current_{folder_.path()};
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
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, AFailedReplaceLeavesNoTemporaryFile) {
  // A folder in the file's place cannot be replaced by a file.
  fs::create_directories(folder_.path() / "sinfo.txt" / "inside");
  EXPECT_THROW(SaveSettingsFile({DisplayMode::kFullScreen, MemoryMode::kShortMemory}, true), Error);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::is_directory(folder_.path() / "sinfo.txt" / "inside"));
}

#ifndef _WIN32  // links, FIFOs and permission bits

constexpr GameSettings kEmptyLines{DisplayMode::kFullScreen, MemoryMode::kShortMemory};
constexpr const char* kOutsideText = "not the game's";

TEST_F(SettingsFileTest, APlantedLinkNeverCarriesTheWriteOutside) {
  const fs::path outside = folder_.path().parent_path() / "outside.txt";
  for (const char* planted : {"sinfo.txt.saving", "sinfo.txt"}) {
    SCOPED_TRACE(planted);
    folder_.Write("sinfo.txt", "WindowScreen\r\n");
    fs::remove(folder_.path() / planted);
    fs::create_symlink(outside, folder_.path() / planted);
    folder_.Write("../outside.txt", kOutsideText);
    try {
      SaveSettingsFile({DisplayMode::kFullScreen, MemoryMode::kFullMemory}, true);
    } catch (const Error&) {
    }
    EXPECT_EQ(folder_.Read("../outside.txt"), kOutsideText);
    EXPECT_TRUE(fs::is_symlink(folder_.path() / planted));
    fs::remove(folder_.path() / planted);
  }
}

TEST_F(SettingsFileTest, WhatIsNoRegularFileReadsAsEmptyLinesAndIsNeverReplaced) {
  const fs::path file = folder_.path() / "sinfo.txt";
  const fs::path outside = folder_.path().parent_path() / "outside.txt";
  folder_.Write("../outside.txt", "WindowScreen\r\nx\r\nFullMemory\r\n");
  const std::function<void()> plants[] = {
      [&] { fs::create_directory(file); },
      [&] { ASSERT_EQ(mkfifo(file.c_str(), 0644), 0); },
      [&] { fs::create_symlink(outside, file); },
      [&] { fs::create_symlink(folder_.path() / "nowhere", file); },
  };
  for (size_t i = 0; i < std::size(plants); ++i) {
    SCOPED_TRACE(i);
    fs::remove(file);
    plants[i]();
    const fs::file_type planted = fs::symlink_status(file).type();
    EXPECT_EQ(LoadSettingsFile(true), kEmptyLines);
    EXPECT_THROW(SaveSettingsFile(kDefaultSettings, true), Error);  // OK fails: the window stays
    EXPECT_EQ(fs::symlink_status(file).type(), planted);
  }
  EXPECT_EQ(folder_.Read("../outside.txt"), "WindowScreen\r\nx\r\nFullMemory\r\n");
}

TEST_F(SettingsFileTest, ReadingNeitherWaitsForAFifoNorHoldsAHugeFile) {
  if (!veyra::testing::kCanLimitChild) GTEST_SKIP() << "needs a memory limit (not under ASan)";
  const fs::path file = folder_.path() / "sinfo.txt";
  ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
  // The child fails by its alarm when a read waits, and by running out of memory when it holds
  // the whole huge file.
  EXPECT_EXIT(
      {
        veyra::testing::LimitChild(64 << 20, 20);
        const bool fifo_read = LoadSettingsFile(true) == kEmptyLines;
        fs::remove(file);
        folder_.Write("sinfo.txt", "WindowScreen\r\nx\r\nFullMemory\r\n");
        fs::resize_file(file, std::uintmax_t{1} << 30);  // sparse: takes no disk space
        const bool huge_read = LoadSettingsFile(true) == kDefaultSettings;
        std::_Exit(fifo_read && huge_read ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(fs::file_size(file), std::uintmax_t{1} << 30);
}

TEST_F(SettingsFileTest, ReadOnlyFileStaysAndPermissionBitsAreKept) {
  const fs::path file = folder_.path() / "sinfo.txt";
  const std::string old_text = "WindowScreen\r\nComplexities\r\nFullMemory\r\n";
  folder_.Write("sinfo.txt", old_text);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_THROW(SaveSettingsFile({DisplayMode::kFullScreen, MemoryMode::kFullMemory}, true), Error);
  EXPECT_EQ(folder_.Read("sinfo.txt"), old_text);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0444));

  fs::permissions(file, fs::perms(0640));
  SaveSettingsFile({DisplayMode::kFullScreen, MemoryMode::kFullMemory}, true);
  EXPECT_EQ(folder_.Read("sinfo.txt"), "FullScreen\r\nComplexities\r\nFullMemory\r\n");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
}

#endif

}  // namespace
}  // namespace veyra::settings
