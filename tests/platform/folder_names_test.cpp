// The kept names stand in for case-insensitive lookups, which Windows does itself: not on Windows.
#ifndef _WIN32
#include "platform/folder_names.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/paths.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

// Another program adds a file within the same tick of the file system's clock: the folder's
// modification time does not move.
void AddFileUnseen(const TempFolder& dir, const std::string& relative) {
  const fs::path folder = (dir.path() / relative).parent_path();
  const fs::file_time_type before = fs::last_write_time(folder);
  dir.Write(relative, "x");
  fs::last_write_time(folder, before);
}

// Another program adds a file a moment later.
void AddFileLater(const TempFolder& dir, const std::string& relative) {
  const fs::path folder = (dir.path() / relative).parent_path();
  const fs::file_time_type before = fs::last_write_time(folder);
  dir.Write(relative, "x");
  fs::last_write_time(folder, before + std::chrono::seconds(1));
}

TEST(FolderNames, WithoutAScopeEveryLookupReadsTheFolder) {
  TempFolder dir;
  dir.Write("Data/keep", "");
  EXPECT_EQ(MapPath(dir.folder() + "data\\a.txt"), dir.path() / "Data" / "a.txt");
  AddFileUnseen(dir, "Data/A.TXT");
  EXPECT_EQ(MapPath(dir.folder() + "data\\a.txt"), dir.path() / "Data" / "A.TXT");
}

TEST(FolderNames, AFolderChangedByOthersIsReadAgain) {
  TempFolder dir;
  dir.Write("Data/keep", "");
  const FolderNamesScope scope;
  EXPECT_EQ(FindEntryIgnoringCase(dir.path() / "Data", "b.dat"), "");
  AddFileLater(dir, "Data/B.Dat");
  EXPECT_EQ(FindEntryIgnoringCase(dir.path() / "Data", "b.dat"), "B.Dat");
  EXPECT_EQ(FindEntryIgnoringCase(dir.path() / "Missing", "b.dat"), "");
}

TEST(FolderNames, NamesReadOnceServeUntilTheOutermostScopeEnds) {
  TempFolder dir;
  dir.Write("Data/keep", "");
  const fs::path data = dir.path() / "Data";
  {
    const FolderNamesScope outer;
    {
      const FolderNamesScope inner;
      EXPECT_EQ(FindEntryIgnoringCase(data, "c.txt"), "");
    }
    AddFileUnseen(dir, "Data/C.TXT");
    EXPECT_EQ(FindEntryIgnoringCase(data, "c.txt"), "");  // the folder is not read again
    EXPECT_EQ(FindEntryIgnoringCase(data, "KEEP"), "keep");
  }
  EXPECT_EQ(FindEntryIgnoringCase(data, "c.txt"), "C.TXT");
}

// Creates an empty file the way the updater's file functions do.
void CreateFile(const fs::path& path) {
  const EntryCreation creation(path);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  ASSERT_GE(fd, 0);
  ::close(fd);
  creation.Confirm();
}

// A folder "Data" holding "keep", inside an update pass.
class FolderNamesInAPass : public ::testing::Test {
 protected:
  FolderNamesInAPass() { dir.Write("Data/keep", ""); }

  TempFolder dir;
  const fs::path data = dir.path() / "Data";
  const FolderNamesScope scope;
};

TEST_F(FolderNamesInAPass, EntriesThisProgramCreatesAreFoundWithoutReadingAgain) {
  EXPECT_EQ(FindEntryIgnoringCase(data, "new.txt"), "");
  CreateFile(data / "New.Txt");
  EXPECT_EQ(FindEntryIgnoringCase(data, "NEW.TXT"), "New.Txt");
  // The creation took the folder's new state: a later unseen addition stays unseen, which shows
  // that the name above came from the creation and not from reading the folder again.
  AddFileUnseen(dir, "Data/Other.Txt");
  EXPECT_EQ(FindEntryIgnoringCase(data, "other.txt"), "");
}

TEST_F(FolderNamesInAPass, OurCreationDoesNotHideAChangeMadeBeforeIt) {
  EXPECT_EQ(FindEntryIgnoringCase(data, "data.bin"), "");
  AddFileLater(dir, "Data/DATA.BIN");  // say, while our next file was downloading
  CreateFile(data / "New.bin");
  CreateFile(data / "keep");  // a write to a name known already
  EXPECT_EQ(FindEntryIgnoringCase(data, "data.bin"), "DATA.BIN");
  EXPECT_EQ(FindEntryIgnoringCase(data, "NEW.BIN"), "New.bin");
}

}  // namespace
}  // namespace veyra

#endif
