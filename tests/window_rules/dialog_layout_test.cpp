#include <gtest/gtest.h>

#include "window_rules/geometry.h"
#include "window_rules/line_dialog_layout.h"

namespace veyra {
namespace {

TEST(WindowPlacement, CentringTruncatesTowardZero) {
  struct Case {
    Size window;
    Size screen;
    Point at;
  };
  const Case cases[] = {
      {{628, 479}, {1920, 1080}, {646, 300}},
      {{628, 479}, {1025, 768}, {198, 144}},  // odd differences drop the half pixel
      {{628, 479}, {600, 400}, {-14, -39}},   // larger than the screen
      {{628, 479}, {601, 401}, {-13, -39}},   // -27 / 2 is -13, not -14
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CentredOnScreen(c.window, c.screen), c.at)
        << c.screen.width << "x" << c.screen.height;
  }
}

TEST(LineDialogPictures, OnlySimplifiedChineseShowsTheSimplifiedSet) {
  struct Case {
    const char* language_code;
    const char* background;
    const char* confirm;
    const char* pressed;
  };
  const Case cases[] = {
      {"t", "Image0c", "Image1c", "Image2c"},
      {"n", "Image0c", "Image1c", "Image2c"},
      {"s", "Image0s", "Image1s", "Image2s"},
  };
  for (const Case& c : cases) {
    const line_dialog::PictureSet& set = line_dialog::LineDialogPictureSet(c.language_code);
    EXPECT_EQ(set.background.control, c.background) << c.language_code;
    EXPECT_EQ(set.confirm.control, c.confirm) << c.language_code;
    EXPECT_EQ(set.pressed.control, c.pressed) << c.language_code;
  }
}

}  // namespace
}  // namespace veyra
