#include "platform/confined_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "platform/folder_lock.h"
#include "platform/paths.h"
#include "support/scoped_hooks.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

namespace fs = std::filesystem;
using testing::ScopedSleepHook;
using testing::TempFolder;

// The game folder's own folder, outside the game folder but owned by the test.
fs::path Outside(const TempFolder& dir) {
  const fs::path outside = dir.path().parent_path() / "outside";
  fs::create_directories(outside);
  return outside;
}

// Every test runs with the path resolved in one call where the kernel can (openat2) and with
// the walk one folder at a time that kernels without it take.
class ConfinedFiles : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { SetConfinedResolverWalks(GetParam()); }
  void TearDown() override { SetConfinedResolverWalks(false); }
};
INSTANTIATE_TEST_SUITE_P(Resolvers, ConfinedFiles, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Walk" : "AtOnce";
                         });

#ifndef _WIN32
// A row of the tables below: what is planted where the game's file would be, and the error
// expected from touching it.
struct PlantedFile {
  const char* what;
  void (*plant)(const fs::path& target);
  int error;
};
#endif

[[maybe_unused]] std::vector<std::string> EntriesOf(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

#ifndef _WIN32  // symbolic and hard links, POSIX permission bits and FIFOs
// Every planted link: a folder on the way, the file itself, dangling or not, in any letter case.
// The game names the file as the list does; MapPath finds the link's own spelling.
TEST_P(ConfinedFiles, NoLinkIsFollowedForAnyAccess) {
  struct Case {
    const char* what;
    const char* link;         // relative, planted in the game folder
    const char* link_target;  // relative to the outside folder
    const char* game_name;    // the name as the game writes it
  };
  const Case cases[] = {
      {"folder link", "Data", ".", "Data\\Talk.Dat"},
      {"folder link, other case", "Data", ".", "DATA\\talk.dat"},
      {"file link", "Data/Talk.Dat", "victim", "Data\\Talk.Dat"},
      {"file link, other case", "Data/Talk.Dat", "victim", "data\\TALK.DAT"},
      {"dangling file link", "update2.dat", "absent", "update2.dat"},
      {"dangling folder link", "Data", "absent-folder", "Data\\sub\\x.dat"},
      {"record link", "update2.dat", "victim", "UPDATE2.DAT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    const fs::path outside = Outside(dir);
    { std::ofstream(outside / "victim") << "outside"; }
    fs::create_directories((dir.path() / c.link).parent_path());
    fs::create_symlink(outside / c.link_target, dir.path() / c.link);
    const std::vector<std::string> before = EntriesOf(outside);
    const fs::path mapped = MapPath(dir.folder() + c.game_name);

    EXPECT_FALSE(ReplaceConfinedFile(mapped, "new").ok());
    EXPECT_FALSE(AppendConfinedFile(mapped, "new").ok());
    EXPECT_FALSE(MakeConfinedFoldersFor(mapped / "deeper").ok());
    CreateConfinedFileIfMissing(mapped);
    std::string content = "unchanged";
    EXPECT_FALSE(ReadConfinedFile(mapped, 1024, content).ok());
    EXPECT_EQ(content, "unchanged");

    EXPECT_EQ(EntriesOf(outside), before);
    EXPECT_EQ(dir.Read("../outside/victim"), "outside");
    EXPECT_TRUE(fs::is_symlink(dir.path() / c.link));
  }
}
#endif

TEST_P(ConfinedFiles, APathOutsideTheProgramFolderIsRefused) {
  TempFolder dir;
  const fs::path outside = Outside(dir);
  fs::create_directories(dir.path() / "Data");
  { std::ofstream(outside / "victim") << "outside"; }
  for (const fs::path& path : {outside / "x", dir.path() / ".." / "outside" / "x",
                               dir.path() / "Data" / ".." / ".." / "outside" / "x"}) {
    SCOPED_TRACE(path.string());
    EXPECT_EQ(ReplaceConfinedFile(path, "new").error, EXDEV);
    EXPECT_EQ(CreateConfinedFileIfMissing(path).error, EXDEV);
    EXPECT_EQ(AppendConfinedFile(path, "new").error, EXDEV);
    std::string content;
    EXPECT_EQ(ReadConfinedFile(path.parent_path() / "victim", 1024, content).error, EXDEV);
  }
  EXPECT_FALSE(fs::exists(outside / "x"));
}

#ifndef _WIN32  // symbolic and hard links, POSIX permission bits and FIFOs
TEST_P(ConfinedFiles, AHardLinkedFileIsReplacedAndTheOtherLinkKeepsItsContent) {
  TempFolder dir;
  const fs::path outside = Outside(dir);
  { std::ofstream(outside / "victim") << "outside"; }
  fs::create_hard_link(outside / "victim", dir.path() / "a.dat");
  ASSERT_TRUE(ReplaceConfinedFile(dir.path() / "a.dat", "new").ok());
  EXPECT_EQ(dir.Read("a.dat"), "new");
  EXPECT_EQ(dir.Read("../outside/victim"), "outside");
  EXPECT_EQ(fs::hard_link_count(outside / "victim"), 1u);
}
#endif

#ifndef _WIN32  // symbolic and hard links, POSIX permission bits and FIFOs
TEST_P(ConfinedFiles, ReplacingKeepsThePermissionBitsAndLeavesNoTemporaryFile) {
  TempFolder dir;
  dir.Write("a.dat", "old");
  ::chmod((dir.path() / "a.dat").c_str(), 0640);
  ASSERT_TRUE(ReplaceConfinedFile(dir.path() / "a.dat", "new content").ok());
  EXPECT_EQ(dir.Read("a.dat"), "new content");
  struct stat info {};
  ASSERT_EQ(::stat((dir.path() / "a.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(EntriesOf(dir.path()), std::vector<std::string>{"a.dat"});
}
#endif

#ifndef _WIN32  // symbolic and hard links, POSIX permission bits and FIFOs
TEST_P(ConfinedFiles, WhatCannotBeReplacedStaysAsItWasWithoutATemporaryFile) {
  const PlantedFile cases[] = {
      {"read-only file",
       [](const fs::path& t) {
         std::ofstream(t) << "old";
         ::chmod(t.c_str(), 0444);
       },
       EACCES},
      {"folder", [](const fs::path& t) { fs::create_directories(t / "inside"); }, EISDIR},
      {"fifo", [](const fs::path& t) { ::mkfifo(t.c_str(), 0666); }, EINVAL},
  };
  for (const PlantedFile& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    const fs::path target = dir.path() / "a.dat";
    c.plant(target);
    const fs::file_status before = fs::symlink_status(target);
    EXPECT_EQ(ReplaceConfinedFile(target, "new").error, c.error);
    EXPECT_EQ(fs::symlink_status(target).type(), before.type());
    EXPECT_EQ(EntriesOf(dir.path()), std::vector<std::string>{"a.dat"});
  }
}
#endif

#ifndef _WIN32  // symbolic and hard links, POSIX permission bits and FIFOs
// Reading must neither wait for a FIFO's writer nor take an endless or huge file whole. Each
// read runs with a deadline; one that blocks is released by opening the FIFO for writing.
TEST_P(ConfinedFiles, ReadsRefuseSpecialAndOversizedFilesWithoutWaiting) {
  const PlantedFile cases[] = {
      {"fifo", [](const fs::path& t) { ::mkfifo(t.c_str(), 0666); }, EINVAL},
      {"link to an endless device", [](const fs::path& t) { fs::create_symlink("/dev/zero", t); },
       ELOOP},
      {"sparse file beyond the bound",
       [](const fs::path& t) {
         std::ofstream(t).close();
         fs::resize_file(t, 1024 * 1024 + 1);
       },
       EFBIG},
  };
  for (const PlantedFile& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    const fs::path target = dir.path() / "web0.dat";
    c.plant(target);
    std::string content;
    auto read = std::async(std::launch::async,
                           [&] { return ReadConfinedFile(target, 1024 * 1024, content); });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << "the read blocked";
      const int writer = ::open(target.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
    }
    EXPECT_EQ(read.get().error, c.error);
    EXPECT_TRUE(content.empty());
  }
}
#endif

TEST_P(ConfinedFiles, ReadsAFileUpToTheBound) {
  TempFolder dir;
  dir.Write("a/b.dat", "12345");
  std::string content;
  EXPECT_TRUE(ReadConfinedFile(dir.path() / "a" / "b.dat", 5, content).ok());
  EXPECT_EQ(content, "12345");
  EXPECT_EQ(ReadConfinedFile(dir.path() / "a" / "b.dat", 4, content).error, EFBIG);
}

#ifndef _WIN32  // symbolic and hard links, POSIX permission bits and FIFOs
TEST_P(ConfinedFiles, LeftoverTemporaryFilesAreRemovedWithoutFollowingLinks) {
  TempFolder dir;
  const fs::path outside = Outside(dir);
  ASSERT_TRUE(MakeConfinedFoldersFor(dir.path() / "a" / "b" / "x").ok());
  dir.Write("a/b/.veyra-new-1-1", "cut short");
  dir.Write(".veyra-new-2-7", "cut short");
  dir.Write("a/keep.dat", "keep");
  dir.Write(".veyra-part-0123456789abcdef", "a download kept for the next run");
  dir.Write("../outside/.veyra-new-3-1", "not ours");
  fs::create_symlink(outside, dir.path() / "a" / "link");
  RemoveLeftoverTemporaryFiles();
  EXPECT_FALSE(dir.Exists("a/b/.veyra-new-1-1"));
  EXPECT_FALSE(dir.Exists(".veyra-new-2-7"));
  EXPECT_EQ(dir.Read("a/keep.dat"), "keep");
  EXPECT_TRUE(dir.Exists(".veyra-part-0123456789abcdef"));
  EXPECT_TRUE(fs::exists(outside / ".veyra-new-3-1"));
}
#endif

TEST_P(ConfinedFiles, AppendingCreatesTheFileAndGrowsIt) {
  TempFolder dir;
  const fs::path path = MapPath(dir.folder() + "grows.bin");
  ASSERT_TRUE(AppendConfinedFile(path, "abc").ok());
  ASSERT_TRUE(AppendConfinedFile(path, "def").ok());
  EXPECT_EQ(dir.Read("grows.bin"), "abcdef");
}

// The new content written in pieces is seen whole at the commit and not before; a replacement
// given up leaves the old content and nothing beside it.
TEST_P(ConfinedFiles, AReplacementInPiecesTakesEffectWholeAtItsCommitOnly) {
  for (const bool commit : {true, false}) {
    SCOPED_TRACE(commit);
    TempFolder dir;
    dir.Write("a.dat", "old");
    {
      ConfinedReplacement replacement(ProgramFolder(), MapPath(dir.folder() + "a.dat"));
      ASSERT_TRUE(replacement.Append("new ").ok());
      ASSERT_TRUE(replacement.Append("content").ok());
      EXPECT_EQ(dir.Read("a.dat"), "old");
      EXPECT_EQ(EntriesOf(dir.path()).size(), 2u);  // the file and the new one beside it
      if (commit) {
        EXPECT_TRUE(replacement.Commit().ok());
      }
    }
    EXPECT_EQ(dir.Read("a.dat"), commit ? "new content" : "old");
    EXPECT_EQ(EntriesOf(dir.path()), std::vector<std::string>{"a.dat"});
  }
}

TEST(FolderLock, ASecondHolderIsBusyUntilTheFirstLetsGo) {
  TempFolder dir;
  auto first = std::make_unique<FolderLock>(dir.path(), 0);
  ASSERT_TRUE(first->held());
  int sleeps = 0;
  {
    ScopedSleepHook counting([&](int) { ++sleeps; });
    const FolderLock second(dir.path(), 1);
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(second.busy());
    EXPECT_EQ(sleeps, 10);  // one second of 100 ms retries
  }
  ScopedSleepHook release([&](int) { first.reset(); });
  const FolderLock waiting(dir.path(), 5);
  EXPECT_TRUE(waiting.held());
  EXPECT_FALSE(waiting.busy());
  EXPECT_FALSE(FolderLock(dir.path() / "missing", 0).busy());
}

}  // namespace
}  // namespace veyra
