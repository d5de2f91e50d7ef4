#include "platform/locale.h"

#include <gtest/gtest.h>

#include "platform/pump.h"
#include "support/scoped_hooks.h"

namespace veyra {
namespace {

TEST(LcidFromLocaleName, MapsChineseRegionsAndCommonLanguages) {
  EXPECT_EQ(LcidFromLocaleName("zh_TW.UTF-8"), 0x0404u);
  EXPECT_EQ(LcidFromLocaleName("zh_HK.Big5-HKSCS"), 0x0C04u);
  EXPECT_EQ(LcidFromLocaleName("zh_CN.GB18030"), 0x0804u);
  EXPECT_EQ(LcidFromLocaleName("zh_SG"), 0x1004u);
  EXPECT_EQ(LcidFromLocaleName("zh_MO"), 0x1404u);
  EXPECT_EQ(LcidFromLocaleName("en_US.UTF-8"), 0x0409u);
  EXPECT_EQ(LcidFromLocaleName("ja_JP.eucJP"), 0x0411u);
  EXPECT_EQ(LcidFromLocaleName("de_AT@euro"), 0x0407u);  // unknown region: the language
}

TEST(LcidFromLocaleName, GivesZeroForTheNeutralLocales) {
  for (const char* name : {"", "C", "C.UTF-8", "POSIX", "xx_YY"}) {
    EXPECT_EQ(LcidFromLocaleName(name), 0u) << name;
  }
}

TEST(PumpAndSleep, RunTheInstalledHooks) {
  int pumps = 0;
  int slept = 0;
  {
    testing::ScopedPumpHook pump([&] { ++pumps; });
    testing::ScopedSleepHook sleep([&](int ms) { slept += ms; });
    PumpMessages();
    PumpMessages();
    Sleep(100);
  }
  PumpMessages();  // no hook: nothing happens
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(slept, 100);
}

}  // namespace
}  // namespace veyra
