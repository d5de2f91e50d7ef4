#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace veyra {
namespace {

TEST(DecodeForDisplay, DecodesEachDisplayLanguage) {
  EXPECT_EQ(DecodeForDisplay("t", "\xb0\xea\xc5\xe9"), "國體");
  EXPECT_EQ(DecodeForDisplay("s", "\xb9\xfa\xcc\xe5"), "国体");
  EXPECT_EQ(DecodeForDisplay("n", "caf\xe9"), "café");
}

TEST(DecodeForDisplay, MarksUndecodableBytesAndKeepsTheRest) {
  EXPECT_EQ(DecodeForDisplay("t",
                             "a\xff"
                             "b"),
            "a?b");
  EXPECT_EQ(DecodeForDisplay("t", "x\xb0"), "x?");  // lead byte cut at the end
}

TEST(EncodeFromDisplay, IsTheInverseForRepresentableTexts) {
  EXPECT_EQ(EncodeFromDisplay("t", "國體"), "\xb0\xea\xc5\xe9");
  EXPECT_EQ(EncodeFromDisplay("s", "国体"), "\xb9\xfa\xcc\xe5");
  EXPECT_EQ(EncodeFromDisplay("t", "a😀b"), "a?b");
  EXPECT_EQ(EncodeFromDisplayExactly("t", "功能"), "\xa5\x5c\xaf\xe0");
  EXPECT_EQ(EncodeFromDisplayExactly("t", "a😀b"), std::nullopt);
}

}  // namespace
}  // namespace veyra
