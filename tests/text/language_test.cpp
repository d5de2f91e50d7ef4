#include "text/language.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace veyra {
namespace {

struct LocaleCase {
  uint32_t lcid;
  bool traditional;
  const char* code;
  char art_suffix;
};

TEST(LanguageTest, LocaleDecidesTraditionalCodeAndArtSuffix) {
  const LocaleCase cases[] = {
      {0x0404, true, "t", 'c'},       // Chinese, Taiwan
      {0x0C04, true, "t", 'c'},       // Chinese, Hong Kong
      {0x0804, false, "s", 's'},      // Chinese, PRC
      {0x1004, false, "s", 's'},      // Chinese, Singapore
      {0x1404, false, "s", 's'},      // Chinese, Macau
      {0x0004, false, "s", 's'},      // Chinese, no sublanguage
      {0x7C04, false, "s", 's'},      // Chinese, sublanguage 31
      {0x0409, false, "n", 'c'},      // English, United States
      {0x0411, false, "n", 'c'},      // Japanese
      {0x0000, false, "n", 'c'},      // unknown: stands for English, United States
      {0x00010404, true, "t", 'c'},   // sort bits above the low 16 bits are ignored
      {0x00020804, false, "s", 's'},  // ... also for a Simplified locale
      {0x0504, false, "n", 'c'},      // primary language 0x104: all ten bits count
  };
  for (const LocaleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "lcid 0x" << std::hex << c.lcid);
    EXPECT_EQ(IsTraditionalLocale(c.lcid), c.traditional);
    EXPECT_EQ(GetLanguageCode(c.lcid), c.code);
    EXPECT_EQ(ArtSuffix(GetLanguageCode(c.lcid)), c.art_suffix);
  }
}

TEST(LanguageTest, LocalizedTextPicksTheFormOfTheLanguage) {
  const std::string big5 = "\xB0\xEA\xC5\xE9 ?";  // country, body
  const std::string english = "Are you sure to exit ?";
  EXPECT_EQ(LocalizedText("n", big5, english), english);
  EXPECT_EQ(LocalizedText("t", big5, english), big5);
  EXPECT_EQ(LocalizedText("s", big5, english), "\xB9\xFA\xCC\xE5 ?");
  EXPECT_EQ(LocalizedText("", big5, english), english);
}

}  // namespace
}  // namespace veyra
