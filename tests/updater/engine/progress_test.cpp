#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "support/scoped_hooks.h"
#include "updater/engine/window_state.h"

namespace veyra::testing {
namespace {

TEST(GaugeState, KeepsProgressWithinItsBounds) {
  GaugeState gauge;
  gauge.SetMaxValue(200);
  gauge.SetProgress(150);
  EXPECT_EQ(gauge.Percent(), 75);
  gauge.SetProgress(500);
  EXPECT_EQ(gauge.Progress(), 200);
  gauge.SetMaxValue(50);  // lowering the maximum drags the progress down
  EXPECT_EQ(gauge.Progress(), 50);
  gauge.SetProgress(-3);
  EXPECT_EQ(gauge.Progress(), 0);
  gauge.SetMaxValue(0);
  EXPECT_EQ(gauge.Percent(), 0);  // equal bounds show 0 %
}

class ProgressTest : public EngineTest {
 protected:
  void SetUp() override {
    MakeEngine();
    engine->window().ListBox1 = {"Data\\big.dat", "next"};
  }
};

TEST_F(ProgressTest, WorkEventsMoveGaugeAndLabelOnlyDuringTheMainPass) {
  for (UpdateStage state : {UpdateStage::kNoListYet, UpdateStage::kListReceived,
                            UpdateStage::kNothingToUpdate, UpdateStage::kMainPassEnded}) {
    engine->UpdateState = state;
    engine->IdHTTP1WorkBegin(1000);
    engine->IdHTTP1Work(10);
    engine->IdHTTP1WorkEnd();
  }
  EXPECT_EQ(engine->window().Gauge1.MaxValue(), 100);
  EXPECT_EQ(engine->window().Label4.text, "");

  engine->UpdateState = UpdateStage::kMainPassRunning;
  engine->IdHTTP1WorkBegin(1000);
  EXPECT_EQ(engine->window().Gauge1.MaxValue(), 1000);
  engine->IdHTTP1Work(1200);  // more than announced: the label shows the raw count
  EXPECT_EQ(engine->window().Gauge1.Progress(), 1000);
  EXPECT_EQ(engine->window().Label4.text, "Data\\big.dat 1200 of 1000 ");
  EXPECT_EQ(engine->window().Label4.top, 501);
  const int width = view.ProgressTextWidth(engine->window().Label4.text);
  EXPECT_EQ(engine->window().Label4.left, 37 + (545 - width) / 2);

  engine->IdHTTP1WorkBegin(0);  // unknown length: empty bar, 0 of 0 at the end
  engine->IdHTTP1WorkEnd();
  EXPECT_EQ(engine->window().Label4.text, "Data\\big.dat 0 of 0 ");
  EXPECT_EQ(engine->window().Gauge1.Percent(), 0);
}

TEST_F(ProgressTest, ConnectionEventsSetTheFlagWhateverTheState) {
  engine->IdHTTP1Connected();
  EXPECT_TRUE(engine->Connected);
  EXPECT_EQ(engine->window().StatusBar1, "Connected");
  engine->IdHTTP1Disconnected();
  EXPECT_FALSE(engine->Connected);
}

TEST_F(ProgressTest, AMainPassLeavesTheLastFileFullOnTheGauge) {
  server.Put("big.bin", std::string(300000, 'z'));
  PublishList({"O big.bin Data\\big.dat 1"});
  RunDriver();
  int work_events_seen = 0;
  int64_t last_progress = -1;
  bool monotonic = true;
  testing::ScopedPumpHook pump([&] {
    if (engine->UpdateState != UpdateStage::kMainPassRunning) return;
    ++work_events_seen;
    const int64_t progress = engine->window().Gauge1.Progress();
    if (progress < last_progress) monotonic = false;
    last_progress = progress;
  });
  engine->StartPictureClicked();
  EXPECT_GT(work_events_seen, 0);
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(engine->window().Gauge1.MaxValue(), 300000);
  EXPECT_EQ(engine->window().Gauge1.Progress(), 300000);
  EXPECT_EQ(engine->window().Label4.text, "Data\\big.dat 300000 of 300000 ");
}

}  // namespace
}  // namespace veyra::testing
