#include "window_rules/updater_pictures.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

TEST(UpdaterPicturePath, TheArtSuffixFollowsTheLanguageCode) {
  testing::TempFolder dir;
  struct Case {
    const char* base;
    const char* language_code;
    const char* relative;
  };
  const Case cases[] = {
      {"1-2", "t", "upimg\\1-2c.jpg"},
      {"0", "n", "upimg\\0c.jpg"},  // English systems show the Traditional artwork
      {"5-1", "s", "upimg\\5-1s.jpg"},
      {"4", "", "upimg\\4c.jpg"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdaterPicturePath(c.base, c.language_code), dir.folder() + c.relative)
        << c.base << " " << c.language_code;
  }
}

TEST(UpdaterPicturePath, NamesTheFileWhateverTheCaseOfItsFolder) {
  testing::TempFolder dir;
  dir.Write("UpImg/3-1C.JPG", "jpeg");
  EXPECT_EQ(MapPath(UpdaterPicturePath("3-1", "t")), dir.path() / "UpImg/3-1C.JPG");
}

}  // namespace
}  // namespace veyra
