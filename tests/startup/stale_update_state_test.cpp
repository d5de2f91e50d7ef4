#include "startup/stale_update_state.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::TempFolder;

void MakeFileOfSize(const TempFolder& dir, const std::string& relative, uintmax_t size) {
  dir.Write(relative, "");
  std::filesystem::resize_file(dir.path() / relative, size);
}

TEST(StaleUpdateState, ASmallTalkDatDeletesBothRecordFiles) {
  struct Case {
    std::optional<uintmax_t> talk_size;  // none: no Data/Talk.Dat
    bool deleted;
  };
  const Case cases[] = {
      {830499, true}, {0, true}, {830500, false}, {830501, false}, {std::nullopt, false}};
  for (const Case& c : cases) {
    TempFolder dir;
    if (c.talk_size) MakeFileOfSize(dir, "Data/Talk.Dat", *c.talk_size);
    dir.Write("update2.dat", "record");
    dir.Write("update3.dat", "list");
    CleanUpStaleUpdateState(dir.folder());
    const std::string size = c.talk_size ? std::to_string(*c.talk_size) : "missing";
    EXPECT_EQ(dir.Exists("update2.dat"), !c.deleted) << size;
    EXPECT_EQ(dir.Exists("update3.dat"), !c.deleted) << size;
  }
}

TEST(StaleUpdateState, NamesAreFoundWhateverTheirLetterCase) {
  TempFolder dir;
  MakeFileOfSize(dir, "DATA/talk.dat", 10);
  dir.Write("Update2.DAT", "record");
  dir.Write("UPDATE3.dat", "list");
  dir.Write("other.dat", "kept");
  CleanUpStaleUpdateState(dir.folder());
  EXPECT_FALSE(dir.Exists("Update2.DAT"));
  EXPECT_FALSE(dir.Exists("UPDATE3.dat"));
  EXPECT_TRUE(dir.Exists("other.dat"));
}

TEST(StaleUpdateState, AMissingRecordFileDoesNotStopTheOther) {
  TempFolder dir;
  MakeFileOfSize(dir, "Data/Talk.Dat", 10);
  dir.Write("update2.dat", "record");
  EXPECT_NO_THROW(CleanUpStaleUpdateState(dir.folder()));
  EXPECT_FALSE(dir.Exists("update2.dat"));
}

TEST(StaleUpdateState, FoldersOfTheseNamesAreNotTheFiles) {
  TempFolder dir;
  dir.Write("Data/Talk.Dat/inside", "x");
  dir.Write("update2.dat", "record");
  CleanUpStaleUpdateState(dir.folder());
  EXPECT_TRUE(dir.Exists("update2.dat"));  // no Talk.Dat file: nothing to clean

  std::filesystem::remove_all(dir.path() / "Data");
  MakeFileOfSize(dir, "Data/Talk.Dat", 10);
  dir.Write("update3.dat/inside", "x");
  EXPECT_NO_THROW(CleanUpStaleUpdateState(dir.folder()));
  EXPECT_TRUE(dir.Exists("update3.dat/inside"));
  EXPECT_FALSE(dir.Exists("update2.dat"));
}

#ifndef _WIN32  // POSIX permission bits
TEST(StaleUpdateState, ATalkDatThatCannotBeOpenedCountsAsTooSmall) {
  TempFolder dir;
  MakeFileOfSize(dir, "Data/Talk.Dat", 900000);
  const std::filesystem::path talk = dir.path() / "Data/Talk.Dat";
  std::filesystem::permissions(talk, std::filesystem::perms::none);
  const int probe = ::open(talk.c_str(), O_RDONLY);
  if (probe >= 0) {
    ::close(probe);
    GTEST_SKIP() << "this user opens files whatever their permissions";
  }
  dir.Write("update2.dat", "record");
  CleanUpStaleUpdateState(dir.folder());
  EXPECT_FALSE(dir.Exists("update2.dat"));
}
#endif

TEST(StaleUpdateState, AFolderWithoutTrailingSeparatorIsTheSameFolder) {
  TempFolder dir;
  MakeFileOfSize(dir, "Data/Talk.Dat", 10);
  dir.Write("update2.dat", "record");
  CleanUpStaleUpdateState(dir.path().string());
  EXPECT_FALSE(dir.Exists("update2.dat"));
}

}  // namespace
}  // namespace veyra
