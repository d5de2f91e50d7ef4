#include "updater/records/lines.h"

#include <gtest/gtest.h>

namespace veyra {
namespace {

using namespace std::string_literals;

TEST(SplitLines, EndsLinesAtCrLfLoneCrLoneLfAndNul) {
  struct Case {
    std::string text;
    LineList lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},  // mixed ends, last line without an end
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},  // lone CR, then CR LF
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"a\r\n\r\n", {"a", ""}},  // only the final end adds nothing
      {"a\0b\r\nc"s, {"a"}},     // a NUL byte ends the text
      {"a\r\n\0b"s, {"a"}},
      {"\0a"s, {}},
      {"x \t y\r\n", {"x \t y"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitLines(c.text), c.lines) << testing::PrintToString(c.text);
  }
}

TEST(JoinLines, EndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(JoinLines({""}), "\r\n");
  EXPECT_EQ(JoinLines({"AVWSEN", "Data\\x.dat 12", ""}), "AVWSEN\r\nData\\x.dat 12\r\n\r\n");
  const LineList lines = {"AVWSEN", "", "a b"};
  EXPECT_EQ(SplitLines(JoinLines(lines)), lines);
}

TEST(GetField, SplitsAtSpacesOnly) {
  const std::string line = "  E  a/b.gz   Data\\x.dat 12";
  EXPECT_EQ(GetField(line, 1), "E");
  EXPECT_EQ(GetField(line, 2), "a/b.gz");
  EXPECT_EQ(GetField(line, 3), "Data\\x.dat");
  EXPECT_EQ(GetField(line, 4), "12");
  EXPECT_EQ(GetField(line, 5), "");

  struct Case {
    std::string line;
    int n;
    std::string field;
  };
  const Case cases[] = {
      {"", 1, ""},
      {"   ", 1, ""},
      {"abc", 1, "abc"},
      {"abc ", 1, "abc"},
      {"a\tb c", 1, "a\tb"},  // a tab belongs to the field
      {"a\tb c", 2, "c"},
      {"a b", 0, ""},
      {"a b", -1, ""},
      {"\xA4\xA4 \xA4\xE5", 2, "\xA4\xE5"},  // Big5 bytes are kept as they are
      {"U 1 E x.gz data\\X.DAT 13", 6, "13"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetField(c.line, c.n), c.field) << '"' << c.line << "\" field " << c.n;
  }
}

}  // namespace
}  // namespace veyra
