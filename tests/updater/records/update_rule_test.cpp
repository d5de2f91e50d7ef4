#include "updater/records/update_rule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace veyra {
namespace {

// The comparison as a plain scan of the record for every list line; BuildQueue must give
// exactly its results.
bool SameNameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

QueueResult ScanQueue(const LineList& update_list, LineList& record) {
  if (record.empty()) record.emplace_back(kRecordHeader);
  if (record.size() == 1) record.emplace_back();
  QueueResult result;
  for (size_t i = 1; i < update_list.size(); ++i) {
    const std::string& line = update_list[i];
    const std::string name = GetField(line, 3);
    const std::string version = GetField(line, 4);
    for (size_t pos = 1; pos < record.size(); ++pos) {
      if (SameNameIgnoringAsciiCase(GetField(record[pos], 1), name)) {
        if (VersionIsNewer(version, GetField(record[pos], 2))) {
          result.queue.push_back("U " + std::to_string(pos) + " " + line);
          if (name != "index2.html" && name != "images.unadf") result.names_to_show.push_back(name);
        }
        break;
      }
      if (pos == record.size() - 1) {
        result.queue.push_back(line);
        if (name != "index2.html" && name != "images.unadf") result.names_to_show.push_back(name);
      }
    }
  }
  return result;
}

TEST(BuildQueue, HeaderOnlyRecordQueuesEveryLineAndGainsAnEmptyLine) {
  LineList record = {"AVWSEN"};
  const LineList list = {"header", "E a.gz a.dat 1", "O b.txt Sub\\b.txt 2"};
  const QueueResult result = BuildQueue(list, record);
  EXPECT_EQ(result.queue, (LineList{"E a.gz a.dat 1", "O b.txt Sub\\b.txt 2"}));
  EXPECT_EQ(result.names_to_show, (LineList{"a.dat", "Sub\\b.txt"}));
  EXPECT_EQ(record, (LineList{"AVWSEN", ""}));
}

TEST(BuildQueue, EmptyRecordIsTreatedAsHeaderOnly) {
  LineList record;
  const QueueResult result = BuildQueue({"header", "E a.gz a.dat 1"}, record);
  EXPECT_EQ(result.queue, LineList{"E a.gz a.dat 1"});
  EXPECT_EQ(record, (LineList{"AVWSEN", ""}));
}

TEST(BuildQueue, ComparesVersionsAsTextsAgainstTheMatchingRecordLine) {
  struct Case {
    std::string list_version;
    LineList queue;
  };
  const Case cases[] = {
      {"13", {"U 1 E x.gz data\\X.DAT 13"}},
      {"12", {}},
      {"111", {}},  // smaller than 12 as text
      {"", {}},
  };
  for (const Case& c : cases) {
    LineList record = {"AVWSEN", "Data\\x.dat 12", "other 1"};
    const LineList list = {"h", "E x.gz data\\X.DAT " + c.list_version};
    const QueueResult result = BuildQueue(list, record);
    EXPECT_EQ(result.queue, c.queue) << c.list_version;
    EXPECT_EQ(result.names_to_show.size(), c.queue.size()) << c.list_version;
    EXPECT_EQ(record.size(), 3u);
  }
}

TEST(BuildQueue, OnlyTheFirstRecordLineOfANameCounts) {
  LineList record = {"AVWSEN", "a.dat 5", "b.dat 1", "A.DAT 1", "b.dat 9"};
  const QueueResult result = BuildQueue({"h", "E a.gz a.dat 3", "E b.gz b.dat 3"}, record);
  EXPECT_EQ(result.queue, LineList{"U 2 E b.gz b.dat 3"});
}

TEST(BuildQueue, LeavesOutTheNewsPageNamesFromTheShownNamesExactly) {
  LineList record = {"AVWSEN", "x 1"};
  const LineList list = {"h", "E images.adf images.unadf 1", "E x Images.unadf 1",
                         "O index2.html index2.html 1", "O x Index2.html 1"};
  const QueueResult result = BuildQueue(list, record);
  EXPECT_EQ(result.queue.size(), 4u);
  EXPECT_EQ(result.names_to_show, (LineList{"Images.unadf", "Index2.html"}));
}

// A list line that reads as a changed-entry queue line would replace a record line of its own
// choosing; such lines are no entries, whatever the record holds.
TEST(BuildQueue, ListLinesMarkedLikeChangedEntriesAreRefused) {
  for (const LineList& start : {LineList{"AVWSEN"}, LineList{"AVWSEN", "a.dat 1", "E 1"}}) {
    LineList record = start;
    const LineList list = {"h", "U 1 E x.gz a.dat 9", "U 1", "E b.gz b.dat 1"};
    const QueueResult result = BuildQueue(list, record);
    EXPECT_EQ(result.queue, LineList{"E b.gz b.dat 1"}) << start.size();
    EXPECT_EQ(result.names_to_show, LineList{"b.dat"}) << start.size();
  }
}

TEST(BuildQueue, RecordWithoutVersionIsAlwaysOutOfDate) {
  LineList record = {"AVWSEN", "a.dat"};
  EXPECT_EQ(BuildQueue({"h", "E a a.dat 0"}, record).queue, LineList{"U 1 E a a.dat 0"});
}

TEST(BuildQueue, GivesTheResultsOfThePlainScanOnRandomInputs) {
  const std::vector<std::string> names = {"a.dat",
                                          "A.DAT",
                                          "Data\\x.dat",
                                          "data\\X.dat",
                                          "index2.html",
                                          "Index2.html",
                                          "images.unadf",
                                          "IMAGES.UNADF",
                                          "\xA4\xE5.txt",
                                          "b\tc",
                                          ""};
  const std::vector<std::string> versions = {"", "1", "2", "10", "9", "111", "12", "a", "\xFF"};
  const std::vector<std::string> markers = {"E", "O", "C", "X"};
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&](const std::vector<std::string>& from) {
      return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
    };
    auto count = [&](int most) { return std::uniform_int_distribution<int>(0, most)(random); };

    LineList record;
    const int record_lines = seed % 4 == 0 ? count(2) : count(12);
    for (int i = 0; i < record_lines; ++i) {
      switch (count(5)) {
        case 0:
          record.push_back("");
          break;
        case 1:
          record.push_back(pick(names));
          break;
        default:
          record.push_back(pick(names) + " " + pick(versions));
          break;
      }
    }
    if (!record.empty()) record[0] = "AVWSEN";

    LineList list = {"header"};
    const int list_lines = count(15);
    for (int i = 0; i < list_lines; ++i) {
      switch (count(6)) {
        case 0:
          list.push_back("");
          break;
        case 1:
          list.push_back(pick(markers) + " r");
          break;
        case 2:
          list.push_back(pick(markers) + " r " + pick(names));
          break;
        default:
          list.push_back(pick(markers) + "  r " + pick(names) + " " + pick(versions) + " extra");
          break;
      }
    }

    LineList expected_record = record;
    LineList actual_record = record;
    const QueueResult expected = ScanQueue(list, expected_record);
    const QueueResult actual = BuildQueue(list, actual_record);
    ASSERT_EQ(actual.queue, expected.queue) << "seed " << seed;
    ASSERT_EQ(actual.names_to_show, expected.names_to_show) << "seed " << seed;
    ASSERT_EQ(actual_record, expected_record) << "seed " << seed;
  }
}

TEST(BuildQueue, GivesTheResultsOfThePlainScanOnALargeRecord) {
  std::mt19937 random(2024);
  auto number = [&](int most) {
    return std::to_string(std::uniform_int_distribution<int>(0, most)(random));
  };
  LineList record = {"AVWSEN"};
  for (int i = 0; i < 3000; ++i) record.push_back("Data\\F" + number(2500) + ".dat " + number(20));
  LineList list = {"header"};
  for (int i = 0; i < 400; ++i) {
    list.push_back("E r data\\f" + number(3500) + ".DAT " + number(20));
  }
  LineList expected_record = record;
  const QueueResult expected = ScanQueue(list, expected_record);
  const QueueResult actual = BuildQueue(list, record);
  EXPECT_EQ(actual.queue, expected.queue);
  EXPECT_EQ(actual.names_to_show, expected.names_to_show);
  EXPECT_GT(expected.queue.size(), 50u);  // the input mixes changed, kept and new entries
  EXPECT_LT(expected.queue.size(), 350u);
  EXPECT_GT(std::count_if(expected.queue.begin(), expected.queue.end(),
                          [](const std::string& line) { return line.starts_with("U "); }),
            20);
}

TEST(VersionIsNewer, ComparesUnsignedBytesWithShorterPrefixSmaller) {
  struct Case {
    std::string list, record;
    bool newer;
  };
  const Case cases[] = {
      {"13", "12", true},     {"12", "12", false},     {"111", "12", false}, {"9", "10", true},
      {"1", "", true},        {"", "", false},         {"", "1", false},     {"12a", "12", true},
      {"\x80", "\x7F", true}, {"\x7F", "\xFF", false}, {"b", "B", true},     {"B", "b", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionIsNewer(c.list, c.record), c.newer) << c.list << " vs " << c.record;
  }
}

TEST(ParseQueueLine, ReadsBothForms) {
  const QueueEntry changed = ParseQueueLine(MakeChangedQueueLine(7, "E x.gz Data\\x.dat 13"));
  EXPECT_TRUE(changed.changed);
  EXPECT_EQ(changed.record_position, 7u);
  EXPECT_EQ(changed.marker, "E");
  EXPECT_EQ(changed.remote_name, "x.gz");
  EXPECT_EQ(changed.local_name, "Data\\x.dat");
  EXPECT_EQ(changed.version, "13");

  const QueueEntry added = ParseQueueLine("C  pack.gz pack.unadf 2 extra");
  EXPECT_FALSE(added.changed);
  EXPECT_EQ(added.record_position, kNoRecordPosition);
  EXPECT_EQ(added.marker, "C");
  EXPECT_EQ(added.remote_name, "pack.gz");
  EXPECT_EQ(added.local_name, "pack.unadf");
  EXPECT_EQ(added.version, "2");

  for (const char* line : {"U x1 E a b 1", "U -1 E a b 1", "U  ", "U 99999999999999999999999 E"}) {
    const QueueEntry bad = ParseQueueLine(line);
    EXPECT_TRUE(bad.changed) << line;
    EXPECT_EQ(bad.record_position, kNoRecordPosition) << line;
  }
  EXPECT_EQ(ParseQueueLine("U 18446744073709551614 E").record_position, 18446744073709551614u);
}

TEST(PageNames, MatchExactly) {
  EXPECT_TRUE(IsPageLocalName("index2.html"));
  EXPECT_TRUE(IsPageLocalName("images.unadf"));
  EXPECT_FALSE(IsPageLocalName("images.adf"));
  EXPECT_FALSE(IsPageLocalName("Images.unadf"));
  EXPECT_TRUE(IsPageRemoteName("index2.html"));
  EXPECT_TRUE(IsPageRemoteName("images.adf"));
  EXPECT_FALSE(IsPageRemoteName("images.unadf"));
  EXPECT_FALSE(IsPageRemoteName("INDEX2.HTML"));
}

}  // namespace
}  // namespace veyra
