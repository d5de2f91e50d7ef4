#include "updater/records/archive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/error.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::TempFolder;

// Hand-made archive blocks, so that faulty directories can be built too.
struct Slot {
  int32_t start;
  int32_t end;
  std::string name;
  int name_length = -1;  // -1: the name's own length
};

void PutInt32(std::string& bytes, size_t offset, int32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = char((uint32_t(value) >> (8 * i)) & 0xFF);
}

std::string MakeBlock(const std::string& data, int32_t count, const std::vector<Slot>& slots) {
  std::string directory(kArchiveDirectorySize, '\0');
  PutInt32(directory, 0, count);
  for (size_t k = 1; k <= slots.size(); ++k) {
    const Slot& slot = slots[k - 1];
    const size_t at = k * kArchiveSlotSize;
    PutInt32(directory, at, slot.start);
    PutInt32(directory, at + 4, slot.end);
    directory[at + 8] = char(slot.name_length < 0 ? slot.name.size() : slot.name_length);
    directory.replace(at + 9, slot.name.size(), slot.name);
  }
  return data + directory;
}

size_t CountEntries(const std::filesystem::path& folder) {
  return size_t(std::distance(std::filesystem::recursive_directory_iterator(folder),
                              std::filesystem::recursive_directory_iterator()));
}

TEST(UnpackArchive, ExtractsMembersIntoTheProgramFolder) {
  TempFolder dir;
  const std::string block = MakeBlock("hello", 2, {{0, 5, "a\\b.txt"}, {5, 5, "c.txt"}});
  EXPECT_TRUE(UnpackArchive(block).ok());
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a"));
  EXPECT_EQ(dir.Read("a/b.txt"), "hello");
  EXPECT_EQ(dir.Read("c.txt"), "");
}

TEST(UnpackArchive, TakesMembersInAnyOrderAndOverwritesExistingFilesOfAnyCase) {
  TempFolder dir;
  dir.Write("Data/Talk.Dat", "a much longer old content");
  const std::string block =
      MakeBlock("xxNEWyyOTHER", 2, {{7, 12, "b.txt"}, {2, 5, "data\\TALK.DAT"}});
  EXPECT_TRUE(UnpackArchive(block).ok());
  EXPECT_EQ(dir.Read("Data/Talk.Dat"), "NEW");
  EXPECT_EQ(dir.Read("b.txt"), "OTHER");
  EXPECT_FALSE(dir.Exists("data"));
}

TEST(UnpackArchive, AMemberNameEndsAtItsFirstNulByte) {
  TempFolder dir;
  const std::string block = MakeBlock("hi", 1, {{0, 2, std::string("c.txt\0..\\x", 10)}});
  EXPECT_TRUE(UnpackArchive(block).ok());
  EXPECT_EQ(dir.Read("c.txt"), "hi");
}

TEST(UnpackArchive, AMemberNameEndingInASeparatorIsNoFile) {
  TempFolder dir;
  const UnpackResult result = UnpackArchive(MakeBlock("xy", 1, {{0, 2, "ab\\"}}));
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_FALSE(dir.Exists("ab"));
}

TEST(UnpackArchive, ACountOfZeroOrLessExtractsNothing) {
  TempFolder dir;
  for (int32_t count : {0, -1, INT32_MIN}) {
    const UnpackResult result = UnpackArchive(MakeBlock("data", count, {{0, 4, "x.txt"}}));
    EXPECT_TRUE(result.ok()) << count;
  }
  EXPECT_EQ(CountEntries(dir.path()), 0u);
}

TEST(UnpackArchive, RejectsHostileDirectoriesWithoutWritingAnything) {
  struct Case {
    const char* what;
    std::string block;
    int member;          // the slot reported
    std::string reason;  // a piece of the reported reason
  };
  const std::string ok_slot_name = "good.txt";
  const Case cases[] = {
      {"short block", std::string(kArchiveDirectorySize - 1, '\0'), 0, "shorter"},
      {"count above 100", MakeBlock("", 101, {}), 0, "count 101"},
      {"negative start", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {-1, 2, "x"}}), 2, "negative"},
      {"end before start", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {3, 2, "x"}}), 2, "before"},
      {"end beyond data", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {0, 5, "x"}}), 2, "beyond"},
      {"end into directory", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {4, 9000, "x"}}), 2,
       "beyond"},
      {"name too long", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {0, 1, "x", 81}}), 2, "81"},
      {"climbing name", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {0, 1, "..\\evil"}}), 2,
       "inside"},
      {"network name", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {0, 1, "\\\\host\\evil"}}), 2,
       "inside"},
      {"drive name", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {0, 1, "C:evil"}}), 2, "inside"},
      {"empty name", MakeBlock("abcd", 2, {{0, 4, ok_slot_name}, {0, 1, ""}}), 2, "inside"},
      {"bad first member", MakeBlock("abcd", 2, {{0, 99, "x"}, {0, 4, ok_slot_name}}), 1, "beyond"},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const UnpackResult result = UnpackArchive(c.block);
    ASSERT_EQ(result.problems.size(), 1u) << c.what;
    EXPECT_EQ(result.problems[0].member, c.member) << c.what;
    EXPECT_NE(DescribeProblem(result.problems[0]).find(c.reason), std::string::npos)
        << c.what << ": " << DescribeProblem(result.problems[0]);
    EXPECT_EQ(CountEntries(dir.path()), 0u) << c.what;
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "evil")) << c.what;
  }
}

TEST(ReadArchiveDirectory, ListsEveryFaultyMember) {
  const std::string block =
      MakeBlock("abcd", 3, {{-5, -9, "a"}, {0, 4, "ok"}, {0, 1, "..\\..\\x", 200}});
  const ArchiveDirectory directory = ReadArchiveDirectory(block);
  EXPECT_FALSE(directory.valid());
  EXPECT_TRUE(directory.members.empty());
  ASSERT_EQ(directory.problems.size(), 3u);
  EXPECT_EQ(directory.problems[0].member, 1);
  EXPECT_EQ(directory.problems[1].member, 1);
  EXPECT_EQ(directory.problems[2].member, 3);
  EXPECT_EQ(DescribeProblem(directory.problems[2]),
            "archive member 3 (..\\..\\x): name length 200 is above 80");
}

TEST(UnpackArchive, ReportsAMemberThatCannotBeWrittenAndGoesOn) {
  TempFolder dir;
  dir.Write("blocked", "a file where a folder is needed");
  const std::string block = MakeBlock("abcd", 2, {{0, 2, "blocked\\x.txt"}, {2, 4, "y.txt"}});
  const UnpackResult result = UnpackArchive(block);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].member, 1);
  EXPECT_EQ(result.problems[0].name, "blocked\\x.txt");
  EXPECT_EQ(result.problems[0].reason,
            std::string("the file could not be written: ") + std::strerror(ENOTDIR));
  EXPECT_EQ(dir.Read("y.txt"), "cd");
}

TEST(PackArchive, WritesWhatTheReaderReadsBack) {
  TempFolder dir;
  const std::vector<ArchiveMember> members = {
      {"a\\b.txt", "hello"}, {"c.txt", ""}, {std::string(80, 'n'), std::string(3000, '\xFF')}};
  const std::string block = PackArchive(members);
  EXPECT_EQ(block.size(), 5u + 3000u + kArchiveDirectorySize);
  EXPECT_EQ(block.substr(block.size() - kArchiveDirectorySize, 4), std::string("\x03\0\0\0", 4));
  EXPECT_TRUE(UnpackArchive(block).ok());
  EXPECT_EQ(dir.Read("a/b.txt"), "hello");
  EXPECT_EQ(dir.Read("c.txt"), "");
  EXPECT_EQ(dir.Read(std::string(80, 'n')), std::string(3000, '\xFF'));

  EXPECT_TRUE(ReadArchiveDirectory(PackArchive({})).valid());
  EXPECT_EQ(PackArchive({}).size(), kArchiveDirectorySize);
  std::vector<ArchiveMember> full;
  for (int i = 0; i < kArchiveMaxMembers; ++i) full.push_back({"m" + std::to_string(i), "d"});
  EXPECT_EQ(ReadArchiveDirectory(PackArchive(full)).members.size(), 100u);
}

TEST(PackArchive, RefusesWhatTheFormatCannotCarry) {
  std::vector<ArchiveMember> too_many(101, ArchiveMember{"m", ""});
  EXPECT_THROW(PackArchive(too_many), Error);
  EXPECT_THROW(PackArchive({{std::string(81, 'n'), ""}}), Error);
  EXPECT_THROW(PackArchive({{"..\\x", ""}}), Error);
  EXPECT_THROW(PackArchive({{"", ""}}), Error);
  try {
    PackArchive(too_many);
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("100"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace veyra
