#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::TempFolder;

TEST(FileIo, AFailedCallReportsTheSystemsReason) {
  TempFolder dir;
  dir.Write("file", "x");
  const std::filesystem::path root = dir.path();
  std::string content = "unchanged";
  const struct {
    const char* what;
    std::function<FileStatus()> call;
    int error;
  } cases[] = {
      {"create in a missing folder",
       [&] { return FileHandle(root / "missing" / "a", OpenMode::kWriteEmpty).status(); }, ENOENT},
      {"read a missing file", [&] { return ReadWholeFile(root / "none", content); }, ENOENT},
      {"read a folder", [&] { return ReadWholeFile(root, content); }, EISDIR},
      {"make a folder where a file is", [&] { return MakeFolder(root / "file"); }, EEXIST},
      {"make a folder in a missing one", [&] { return MakeFolder(root / "missing" / "b"); },
       ENOENT},
      {"rename a missing file", [&] { return RenameReplacing(root / "none", root / "new"); },
       ENOENT},
      {"remove a missing file", [&] { return RemoveFile(root / "none"); }, ENOENT},
      {"sync a missing folder", [&] { return SyncFolder(root / "missing"); }, ENOENT},
      {"sync a folder", [&] { return SyncFolder(root); }, 0},
  };
  for (const auto& c : cases) {
    const FileStatus status = c.call();
    EXPECT_EQ(status.error, c.error) << c.what;
    EXPECT_EQ(status.Describe(), c.error == 0 ? "" : std::strerror(c.error)) << c.what;
  }
  EXPECT_EQ(content, "unchanged");
}

TEST(FileIo, AWriteToAFullDeviceReportsNoSpace) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  FileHandle full("/dev/full", OpenMode::kWrite);
  ASSERT_TRUE(full.ok()) << full.status().Describe();
  EXPECT_EQ(full.WriteAllAt(0, "bytes").error, ENOSPC);
  EXPECT_TRUE(full.Close().ok());
  EXPECT_EQ(full.Close().error, EBADF);  // closed already
}

TEST(FileIo, WritingModesKeepOrEmptyTheOldContent) {
  TempFolder dir;
  const struct {
    OpenMode mode;
    std::string expected;
  } cases[] = {
      {OpenMode::kWrite, "01abc56"},
      {OpenMode::kReadWrite, "01abc56"},
      {OpenMode::kWriteEmpty, std::string("\0\0abc", 5)},
  };
  for (const auto& c : cases) {
    dir.Write("f", "0123456");
    FileHandle file(dir.path() / "f", c.mode);
    ASSERT_TRUE(file.ok());
    EXPECT_TRUE(file.WriteAllAt(2, "abc").ok());
    EXPECT_TRUE(file.Close().ok());
    EXPECT_EQ(dir.Read("f"), c.expected) << static_cast<int>(c.mode);
  }
  FileHandle file(dir.path() / "f", OpenMode::kWrite);
  EXPECT_TRUE(file.Truncate(1).ok());
  EXPECT_TRUE(file.Sync().ok());
  EXPECT_EQ(dir.Read("f"), std::string(1, '\0'));
}

TEST(FileIo, ReadAtStopsOnlyAtTheEndOfTheFile) {
  TempFolder dir;
  dir.Write("f", "0123456789");
  FileHandle file(dir.path() / "f", OpenMode::kRead);
  std::uint64_t size = 0;
  EXPECT_TRUE(file.Size(size).ok());
  EXPECT_EQ(size, 10u);
  char buffer[8] = {};
  size_t done = 0;
  EXPECT_TRUE(file.ReadAt(3, buffer, 4, done).ok());
  EXPECT_EQ(std::string(buffer, done), "3456");
  EXPECT_TRUE(file.ReadAt(7, buffer, 8, done).ok());
  EXPECT_EQ(std::string(buffer, done), "789");
  // Reading a folder fails with EISDIR: at the read here, already at the open on Windows.
  FileHandle folder(dir.path(), OpenMode::kRead);
  EXPECT_EQ(folder.ok() ? folder.ReadAt(0, buffer, 1, done).error : folder.status().error, EISDIR);
}

TEST(FileIo, RenameReplacesAnExistingFile) {
  TempFolder dir;
  dir.Write("new", "new content");
  dir.Write("old", "old content");
  EXPECT_TRUE(RenameReplacing(dir.path() / "new", dir.path() / "old").ok());
  EXPECT_EQ(dir.Read("old"), "new content");
  EXPECT_FALSE(dir.Exists("new"));
}

}  // namespace
}  // namespace veyra
