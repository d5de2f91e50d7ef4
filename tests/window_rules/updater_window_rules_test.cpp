#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "window_rules/gauge_drawing.h"
#include "window_rules/picture_button_names.h"
#include "window_rules/update_mode_layout.h"
#include "window_rules/updater_window_layout.h"

namespace veyra {
namespace {

GaugeState Gauge(int64_t min, int64_t max, int64_t progress) {
  GaugeState gauge;
  gauge.SetMaxValue(max);
  gauge.SetMinValue(min);
  gauge.SetProgress(progress);
  return gauge;
}

TEST(GaugeDrawing, TheBarAndTextFollowTheWholePercentage) {
  struct Case {
    int64_t min, max, progress;
    int inner_width;
    int percent;
    int bar_width;
    const char* text;
  };
  const Case cases[] = {
      {0, 100, 0, 543, 0, 0, "0%"},
      {0, 1000, 999, 543, 99, 537, "99%"},  // 99.9 % is still 99
      {0, 1000, 1000, 543, 100, 543, "100%"},
      {0, 0, 0, 543, 0, 0, "0%"},  // a body of unknown length: the bar stays empty
      {0, 300, 100, 543, 33, 179, "33%"},
      {0, 100, 50, 0, 50, 0, "50%"},
      {0, 100, 50, -2, 50, 0, "50%"},  // a gauge narrower than its frame draws no bar
  };
  for (const Case& c : cases) {
    const GaugeDrawing drawing = DrawGauge(Gauge(c.min, c.max, c.progress), c.inner_width);
    EXPECT_EQ(drawing.percent, c.percent) << c.progress << "/" << c.max;
    EXPECT_EQ(drawing.bar_width, c.bar_width) << c.progress << "/" << c.max;
    EXPECT_EQ(drawing.text, c.text);
  }
}

TEST(GaugeDrawing, ValuesWithinOnePercentDrawTheSamePicture) {
  // 100 000 bytes: every byte from 12 000 to 12 999 is 12 %.
  EXPECT_EQ(DrawGauge(Gauge(0, 100000, 12000), 543), DrawGauge(Gauge(0, 100000, 12999), 543));
  EXPECT_NE(DrawGauge(Gauge(0, 100000, 12999), 543), DrawGauge(Gauge(0, 100000, 13000), 543));
}

TEST(PictureButtonRules, OnlyButtonsThatSwapExistingPicturesSkipAMissingFile) {
  struct Case {
    const PictureButtonLayout* button;
    bool file_exists;
    PictureChange change;
  };
  const Case cases[] = {
      {&updater_window::kImage2, false, PictureChange::kLoad},  // the load fails: handler ends
      {&updater_window::kImage2, true, PictureChange::kLoad},
      {&updater_window::kImage4, false, PictureChange::kLoad},
      {&updater_window::kImage6, false, PictureChange::kKeep},
      {&updater_window::kImage6, true, PictureChange::kLoad},
      {&update_mode_dialog::kImage2, false, PictureChange::kKeep},
      {&update_mode_dialog::kImage3, false, PictureChange::kKeep},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PictureChangeFor(*c.button, c.file_exists), c.change)
        << c.button->control << (c.file_exists ? " present" : " missing");
  }
}

TEST(PictureButtonNames, NamesAreInTheDisplayLanguage) {
  struct Case {
    PictureAction action;
    const char* language;
    const char* shown;  // as the display decodes the byte text
  };
  const Case cases[] = {
      {PictureAction::kStartUpdate, "t", "開始更新"},
      {PictureAction::kStartUpdate, "s", "开始更新"},
      {PictureAction::kStartUpdate, "n", "Start update"},
      {PictureAction::kStartGame, "t", "開始遊戲"},
      {PictureAction::kStartGame, "s", "开始游戏"},
      {PictureAction::kTroubleshoot, "t", "疑難排解"},
      {PictureAction::kExit, "t", "結束離開"},
      {PictureAction::kExit, "s", "结束离开"},
      {PictureAction::kExit, "n", "Exit"},
      {PictureAction::kForceUpdate, "t", "強制更新"},
      {PictureAction::kCancel, "t", "取消"},
      {PictureAction::kConfirmLine, "t", "確定"},
      {PictureAction::kConfirmLine, "n", "OK"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeForDisplay(c.language, PictureActionName(c.action, c.language)), c.shown);
  }
}

}  // namespace
}  // namespace veyra
