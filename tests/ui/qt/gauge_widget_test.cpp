#include "ui/qt/updater/gauge_widget.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QImage>

namespace veyra {
namespace {

class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

class GaugeWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gauge.setGeometry(0, 0, 545, 25);
    gauge.SetBarColour(QColor(0, 74, 211));
    gauge.show();
    QCoreApplication::processEvents();
  }
  void Show(int64_t max, int64_t progress) {
    state.SetMaxValue(max);
    state.SetProgress(progress);
    gauge.SetGauge(state);
  }

  GaugeState state;
  GaugeWidget gauge{nullptr};
};

TEST_F(GaugeWidgetTest, RepaintsOnlyWhenTheWholePercentageChanges) {
  PaintCounter counter;
  gauge.installEventFilter(&counter);
  constexpr int kSteps = 2000;  // 100 000 bytes in blocks of 50: twenty blocks per per cent
  for (int i = 1; i <= kSteps; ++i) {
    Show(100000, int64_t{50} * i);
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(gauge.gauge().Progress(), 100000);  // every value is kept
  EXPECT_GE(counter.paints, 90);
  EXPECT_LE(counter.paints, 105);
}

TEST_F(GaugeWidgetTest, DrawsTheBarOverBlackInsideAFrame) {
  Show(1000, 500);
  const QImage image = gauge.grab().toImage();
  const int middle = image.height() / 2;
  EXPECT_EQ(image.pixelColor(5, middle), QColor(0, 74, 211));
  EXPECT_EQ(image.pixelColor(400, middle), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(0, middle), QColor(Qt::black));  // the frame
  // The bar ends at the whole percentage of the inner width.
  EXPECT_EQ(image.pixelColor(1 + 543 / 2 - 1, 3), QColor(0, 74, 211));
  EXPECT_EQ(image.pixelColor(1 + 543 / 2 + 1, 3), QColor(Qt::black));
}

}  // namespace
}  // namespace veyra
