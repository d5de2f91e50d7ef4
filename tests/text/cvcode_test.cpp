#include "text/cvcode.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <iconv.h>
#endif

#include <cstdint>
#include <random>
#include <string>

namespace veyra {
namespace {

std::string Bytes(std::initializer_list<uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(Big5IndexTest, PositionsFollowLeadAndBothTrailRanges) {
  struct Case {
    uint8_t lead, trail;
    int index;
  };
  const Case cases[] = {
      {0xA1, 0x40, 0},   {0xA1, 0x7E, 62},   {0xA1, 0xA1, 63},    {0xA1, 0xFE, 156},
      {0xA2, 0x40, 157}, {0xB0, 0xEA, 2491}, {0xFE, 0xFE, 14757}, {0xFF, 0x40, 14758},
      {0xA0, 0x40, -1},  {0x41, 0x41, -1},   {0xA1, 0x3F, -1},    {0xA1, 0x7F, -1},
      {0xA1, 0xA0, -1},  {0xA1, 0xFF, -1},   {0xA1, 0x20, -1},    {0xB0, '1', -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.lead) << " " << int(c.trail));
    EXPECT_EQ(Big5Index(c.lead, c.trail), c.index);
  }
}

TEST(Big5ToGBTableTest, TellingRowsHoldTheirEntries) {
  struct Row {
    uint16_t big5;
    uint16_t gb;
  };
  const Row rows[] = {
      {0xA140, 0x2020}, {0xA141, 0xA3AC}, {0xA142, 0xA1A2}, {0xA143, 0xA1A3},
      {0xA144, 0x2020}, {0xA2CF, 0xA3C1}, {0xA7F3, 0xB8FC}, {0xB0EA, 0xB9FA},
      {0xB943, 0xD3CE}, {0xC0B8, 0xCFB7}, {0xC5E9, 0xCCE5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << row.big5);
    const int index = Big5Index(row.big5 >> 8, row.big5 & 0xFF);
    ASSERT_GE(index, 0);
    EXPECT_EQ(Big5ToGBTable[index], row.gb);
    const std::string gb = Big5ToGB(Bytes({uint8_t(row.big5 >> 8), uint8_t(row.big5)}));
    EXPECT_EQ(gb, Bytes({uint8_t(row.gb >> 8), uint8_t(row.gb)}));
  }
}

#ifndef _WIN32
// Decodes one GB2312 code with the C library; false when it is no GB2312 character.
bool IsGb2312Character(iconv_t converter, uint16_t code) {
  char in[2] = {char(code >> 8), char(code & 0xFF)};
  char out[16];
  char* in_ptr = in;
  char* out_ptr = out;
  size_t in_left = sizeof in;
  size_t out_left = sizeof out;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  const size_t result = iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left);
  return result != size_t(-1) && in_left == 0;
}
#endif

#ifndef _WIN32  // the reference converter is the C library's iconv
TEST(Big5ToGBTableTest, EveryHeldEntryIsAGb2312DoubleByteCharacter) {
  iconv_t converter = iconv_open("UTF-8", "GB2312");
  ASSERT_NE(converter, iconv_t(-1));
  int held = 0;
  for (int i = 0; i < kBig5TableSize; ++i) {
    const uint16_t entry = Big5ToGBTable[i];
    if (entry == 0x2020) continue;
    ++held;
    const uint8_t high = entry >> 8;
    const uint8_t low = entry & 0xFF;
    EXPECT_TRUE(high >= 0xA1 && high <= 0xF7 && low >= 0xA1 && low <= 0xFE)
        << "position " << i << " entry " << std::hex << entry;
    EXPECT_TRUE(IsGb2312Character(converter, entry))
        << "position " << i << " entry " << std::hex << entry;
  }
  iconv_close(converter);
  // Roughly half the code space has a counterpart; far fewer means a broken table.
  EXPECT_GT(held, 6000);
  EXPECT_LT(held, 8000);
}
#endif

TEST(Big5ToGBTest, ConvertsCharactersAndCopiesEverythingElse) {
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"ascii", "Hello, world ~!\x7F\x80\xA0", "Hello, world ~!\x7F\x80\xA0"},
      {"country body", Bytes({0xB0, 0xEA, 0xC5, 0xE9}), Bytes({0xB9, 0xFA, 0xCC, 0xE5})},
      {"ideographic space", Bytes({0xA1, 0x40}), "  "},
      {"low trail range", Bytes({'a', 0xA1, 0x41, 'b'}), Bytes({'a', 0xA3, 0xAC, 'b'})},
      {"lone lead at end", Bytes({'x', 0xB0, 0xEA, 0xB0}), Bytes({'x', 0xB9, 0xFA, 0xB0})},
      {"only a lead", Bytes({0xC5}), Bytes({0xC5})},
      {"lead then digit", Bytes({0xB0, '1', '2'}), Bytes({0xB0, '1', '2'})},
      {"0xFF lead", Bytes({0xFF, 0x40, 0xFF, 0xA1}), Bytes({0xFF, 0x40, 0xFF, 0xA1})},
      // The byte after a copied lead starts the next pair.
      {"lead then 0xFF then character", Bytes({0xB0, 0xFF, 0xB0, 0xEA}),
       Bytes({0xB0, 0xFF, 0xB9, 0xFA})},
      {"lead then lead", Bytes({0xB0, 0x7F, 0xB0, 0xEA}), Bytes({0xB0, 0x7F, 0xB9, 0xFA})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Big5ToGB(c.input), c.expected);
  }
}

TEST(Big5ToGBTest, OutputHasTheLengthOfAnyInput) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> byte(0xA0, 0xFF);  // mostly lead bytes
  for (int round = 0; round < 200; ++round) {
    std::string input(size_t(round), '\0');
    for (char& c : input) c = char(byte(random));
    EXPECT_EQ(Big5ToGB(input).size(), input.size()) << "round " << round;
  }
}

}  // namespace
}  // namespace veyra
