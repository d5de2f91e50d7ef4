#include "updater/records/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/folder_names.h"
#include "platform/paths.h"
#include "support/scoped_hooks.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::ScopedPumpHook;
using testing::ScopedSleepHook;
using testing::TempFolder;

TEST(MakeFolders, CreatesEveryMissingFolderOfTheFilePath) {
  TempFolder dir;
  EXPECT_TRUE(MakeFolders(dir.folder() + "a\\b\\c.txt"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a" / "b"));
  EXPECT_FALSE(dir.Exists("a/b/c.txt"));
  // A file standing where a folder should be: still true, the later write fails instead.
  dir.Write("f", "x");
  EXPECT_TRUE(MakeFolders(dir.folder() + "f\\g.txt"));
  EXPECT_FALSE(WriteBufferToFile(dir.folder() + "f\\g.txt", "data").ok());
}

TEST(MakeFolders, FilesAndFoldersCreatedInAPassKeepOneSpellingEach) {
  TempFolder dir;
  const FolderNamesScope pass;
  EXPECT_TRUE(MakeFolders(dir.folder() + "Maps\\Town\\a.dat"));
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "MAPS\\TOWN\\Npc.Dat", "1").ok());
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "maps\\town\\NPC.DAT", "2").ok());
  EnsureFile(dir.folder() + "maps\\Town\\npc.dat");
  CreateFileFromBuffer(dir.folder() + "Maps\\Town\\Log.txt", "x");
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "MAPS\\TOWN\\LOG.TXT", "y").ok());
  EXPECT_EQ(dir.Read("Maps/Town/Npc.Dat"), "2");
  EXPECT_EQ(dir.Read("Maps/Town/Log.txt"), "y");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "Maps" / "Town"),
                          std::filesystem::directory_iterator()),
            2);
}

TEST(MakeFolders, FoldersMadeBeforeADeeperOneFailsAreKnownToThePass) {
  TempFolder dir;
  const FolderNamesScope pass;
  const std::filesystem::path root = dir.path();
  EXPECT_EQ(MapPath(dir.folder() + "sprites\\a"), root / "sprites" / "a");  // root read and kept
  const auto before = std::filesystem::last_write_time(root);
  // The second level cannot be made (a name too long for the file system).
  MakeFolders(dir.folder() + "Sprites\\" + std::string(300, 'x') + "\\f.spr");
  ASSERT_TRUE(dir.Exists("Sprites"));
  std::filesystem::last_write_time(root, before);  // as if within the same clock tick
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "SPRITES\\b.spr", "b").ok());
  EXPECT_EQ(dir.Read("Sprites/b.spr"), "b");
}

TEST(MakeFolders, DotDotInANameMakesNoDetourFolder) {
  TempFolder dir;
  const FolderNamesScope pass;
  EXPECT_TRUE(MakeFolders(dir.folder() + "Tmp\\..\\Maps\\a.dat"));
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "Tmp\\..\\Maps\\a.dat", "a").ok());
  EXPECT_TRUE(MakeFolders(dir.folder() + "maps\\b.dat"));
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "maps\\b.dat", "b").ok());
  EXPECT_EQ(dir.Read("Maps/b.dat"), "b");
  EXPECT_FALSE(dir.Exists("Tmp"));
  EXPECT_FALSE(dir.Exists("maps"));
}

TEST(EnsureFile, CreatesAnEmptyFileAndKeepsAnExistingOne) {
  TempFolder dir;
  EnsureFile(dir.folder() + "new.txt");
  EXPECT_EQ(dir.Read("new.txt"), "");
  dir.Write("old.txt", "content");
  EnsureFile(dir.folder() + "OLD.TXT");
  EXPECT_EQ(dir.Read("old.txt"), "content");
  EXPECT_FALSE(dir.Exists("OLD.TXT"));
}

TEST(WriteBufferToFile, CutsALongerFileToTheNewBytes) {
  TempFolder dir;
  dir.Write("x.dat", "0123456789");
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "x.dat", "abc").ok());
  EXPECT_EQ(dir.Read("x.dat"), "abc");
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "y.dat", "new").ok());
  EXPECT_EQ(dir.Read("y.dat"), "new");
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "y.dat", "").ok());
  EXPECT_EQ(dir.Read("y.dat"), "");
}

TEST(WriteBufferToFile, LargeContentArrivesWholeAndInOrder) {
  TempFolder dir;
  // Several MiB go to the kernel in pieces; a byte pattern that never repeats at a piece's
  // distance shows a piece written twice, skipped or at the wrong offset.
  std::string big(3 * 1024 * 1024 + 12345, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919 + i / 65521) % 251);
  dir.Write("big.dat", std::string(big.size() + 4096, 'x'));
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "big.dat", big).ok());
  EXPECT_EQ(dir.Read("big.dat"), big);
}

TEST(WriteBufferToFile, ReplacesTheFileSoAnotherHardLinkKeepsTheOldContent) {
  TempFolder dir;
  dir.Write("x.dat", "old content");
  std::filesystem::create_hard_link(dir.path() / "x.dat", dir.path() / "link.dat");
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "x.dat", "new").ok());
  EXPECT_EQ(dir.Read("x.dat"), "new");
  EXPECT_EQ(dir.Read("link.dat"), "old content");
}

TEST(WriteBufferToFile, WritesToTheExistingSpellingOfTheName) {
  TempFolder dir;
  dir.Write("data/x.dat", "old");
  EXPECT_TRUE(WriteBufferToFile(dir.folder() + "Data\\X.DAT", "new bytes").ok());
  EXPECT_EQ(dir.Read("data/x.dat"), "new bytes");
  EXPECT_FALSE(dir.Exists("Data"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "data"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(WriteBufferToFile, FailsWhenTheTargetIsAFolder) {
  TempFolder dir;
  std::filesystem::create_directories(dir.path() / "taken");
  // The status names the failure.
  EXPECT_EQ(WriteBufferToFile(dir.folder() + "taken", "x").Describe(), std::strerror(EISDIR));
  EXPECT_EQ(WriteBufferToFile(dir.folder() + "missing\\x.dat", "x").error, ENOENT);
}

TEST(WriteBufferToMappedFile, APathOutsideTheProgramFolderIsRefused) {
  TempFolder dir;
  EXPECT_EQ(WriteBufferToMappedFile(dir.path().parent_path() / "x.dat", "x").error, EXDEV);
  EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "x.dat"));
}

TEST(CreateFileFromBuffer, CreatesOrTruncates) {
  TempFolder dir;
  CreateFileFromBuffer(dir.folder() + "a.txt", "hello");
  EXPECT_EQ(dir.Read("a.txt"), "hello");
  CreateFileFromBuffer(dir.folder() + "A.TXT", "hi");
  EXPECT_EQ(dir.Read("a.txt"), "hi");
  CreateFileFromBuffer(dir.folder() + "missing\\b.txt", "x");  // ignored failure
  EXPECT_FALSE(dir.Exists("missing"));
}

TEST(LoadList, ReadsTheLinesOrLeavesTheListOnFailure) {
  TempFolder dir;
  dir.Write("update2.dat", "AVWSEN\r\nData\\x.dat 12\r\n");
  LineList list = {"previous"};
  EXPECT_TRUE(LoadList(list, dir.folder() + "UPDATE2.DAT"));
  EXPECT_EQ(list, (LineList{"AVWSEN", "Data\\x.dat 12"}));
  list = {"previous"};
  EXPECT_FALSE(LoadList(list, dir.folder() + "none.dat"));
  EXPECT_EQ(list, LineList{"previous"});
  std::filesystem::create_directories(dir.path() / "folder");
  EXPECT_FALSE(LoadList(list, dir.folder() + "folder"));
}

TEST(LoadListRetrying, MakesTenAttemptsWithAPumpBeforeEachAndAPauseAfterEachFailure) {
  TempFolder dir;
  std::vector<std::string> events;
  ScopedPumpHook pump([&] { events.push_back("pump"); });
  ScopedSleepHook sleep([&](int ms) { events.push_back("sleep " + std::to_string(ms)); });
  LineList list;
  EXPECT_FALSE(LoadListRetrying(list, dir.folder() + "none.dat"));
  std::vector<std::string> expected;
  for (int i = 0; i < 10; ++i) {
    expected.push_back("pump");
    expected.push_back("sleep 100");
  }
  EXPECT_EQ(events, expected);
}

TEST(LoadListRetrying, StopsAtTheFirstSuccess) {
  TempFolder dir;
  int pumps = 0;
  int sleeps = 0;
  // The file appears while the third attempt lets messages run.
  ScopedPumpHook pump([&] {
    if (++pumps == 3) dir.Write("list.dat", "h\nline");
  });
  ScopedSleepHook sleep([&](int) { ++sleeps; });
  LineList list;
  EXPECT_TRUE(LoadListRetrying(list, dir.folder() + "list.dat"));
  EXPECT_EQ(list, (LineList{"h", "line"}));
  EXPECT_EQ(pumps, 3);
  EXPECT_EQ(sleeps, 2);
}

TEST(SaveListText, WritesEveryLineWithCrLf) {
  TempFolder dir;
  SaveListText({"AVWSEN", "", "Data\\x.dat 12"}, dir.folder() + "update2.dat");
  EXPECT_EQ(dir.Read("update2.dat"), "AVWSEN\r\n\r\nData\\x.dat 12\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(SaveListText, EmptyListLeavesTheFileUntouched) {
  TempFolder dir;
  dir.Write("update2.dat", "AVWSEN\r\nold 1\r\n");
  SaveListText({}, dir.folder() + "update2.dat");
  EXPECT_EQ(dir.Read("update2.dat"), "AVWSEN\r\nold 1\r\n");
  SaveListText({}, dir.folder() + "none.dat");
  EXPECT_FALSE(dir.Exists("none.dat"));
}

TEST(SaveListText, ReplacesTheExistingSpellingOfTheName) {
  TempFolder dir;
  dir.Write("Update2.Dat", "old\r\n");
  SaveListText({"AVWSEN", "a 1"}, dir.folder() + "update2.dat");
  EXPECT_EQ(dir.Read("Update2.Dat"), "AVWSEN\r\na 1\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(SaveListText, LeavesARecordThePlayerMadeReadOnly) {
  TempFolder dir;
  dir.Write("update2.dat", "AVWSEN\r\nold 1\r\n");
  std::filesystem::permissions(dir.path() / "update2.dat", std::filesystem::perms::owner_read);
  SaveListText({"AVWSEN", "new 2"}, dir.folder() + "update2.dat");
  EXPECT_EQ(dir.Read("update2.dat"), "AVWSEN\r\nold 1\r\n");
}

TEST(SaveListText, KeepsTheOldFileWholeWhenTheRenameFails) {
  TempFolder dir;
  // The target itself is a non-empty folder: the rename fails and the temporary file goes.
  dir.Write("update2.dat/inside", "keep");
  SaveListText({"AVWSEN"}, dir.folder() + "update2.dat");
  EXPECT_EQ(dir.Read("update2.dat/inside"), "keep");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(LoadList, RefusesAFifoAndAFileAboveItsBound) {
  TempFolder dir;
  ASSERT_EQ(::mkfifo((dir.path() / "isp1.dat").c_str(), 0666), 0);
  dir.Write("web0.dat", std::string(kStateFileMaxBytes + 1, 'x'));
  std::ofstream(dir.path() / "update2.dat").close();
  std::filesystem::resize_file(dir.path() / "update2.dat", kRecordMaxBytes + 1);
  LineList list{"unchanged"};
  EXPECT_FALSE(LoadList(list, dir.folder() + "isp1.dat"));
  EXPECT_FALSE(LoadList(list, dir.folder() + "web0.dat"));
  EXPECT_TRUE(LoadList(list, dir.folder() + "web0.dat", kStateFileMaxBytes + 1));
  list = {"unchanged"};
  EXPECT_FALSE(LoadList(list, dir.folder() + "update2.dat", kRecordMaxBytes));
  EXPECT_EQ(list, LineList{"unchanged"});
}

TEST(SaveListText, TellsWhyTheListWasNotSaved) {
  TempFolder dir;
  EXPECT_TRUE(SaveListText({"AVWSEN"}, dir.folder() + "update2.dat").ok());
  EXPECT_TRUE(SaveListText({}, dir.folder() + "update2.dat").ok());  // nothing to save
  // A record the player made read-only is not replaced, even by root.
  std::filesystem::permissions(dir.path() / "update2.dat", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);
  EXPECT_EQ(SaveListText({"AVWSEN"}, dir.folder() + "update2.dat").error, EACCES);
  dir.Write("held.dat/inside", "");  // the rename over it fails
  EXPECT_FALSE(SaveListText({"AVWSEN"}, dir.folder() + "held.dat").ok());
}

}  // namespace
}  // namespace veyra
