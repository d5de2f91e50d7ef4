#include "ui/qt/widgets/picture_buttons.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/qt/widgets/picture_control.h"

namespace veyra {
namespace {

// Two 60 x 40 pictures side by side in a window, "A" at x 10 and "B" at x 100, whose handlers
// write down what they are called with.
class TwoPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    for (const char* name : {"A", "B"}) {
      auto* picture = new PictureControl(&window);
      picture->SetAutoSize(true);
      picture->SetPicture(image);
      picture->move(name[0] == 'A' ? 10 : 100, 30);
      const std::string label = name;
      PictureButtons::Handlers handlers;
      handlers.mouse_down = [this, label](MouseButton b) {
        calls.push_back(label + " down" + Of(b));
      };
      handlers.click = [this, label] { calls.push_back(label + " click"); };
      handlers.mouse_up = [this, label](MouseButton b) { calls.push_back(label + " up" + Of(b)); };
      buttons.Add(picture, std::move(handlers));
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  static std::string Of(MouseButton button) {
    return button == MouseButton::kLeft    ? " left"
           : button == MouseButton::kRight ? " right"
                                           : " middle";
  }

  QWindow* handle() { return window.windowHandle(); }

  QWidget window;
  PictureButtons buttons;
  std::vector<std::string> calls;
};

constexpr QPoint kOnA{30, 50};
constexpr QPoint kOnB{120, 50};

TEST_F(TwoPictures, ALeftClickOnAPictureIsItsDownClickAndUp) {
  QTest::mouseClick(handle(), Qt::LeftButton, {}, kOnA);
  EXPECT_EQ(calls, (std::vector<std::string>{"A down left", "A click", "A up left"}));
}

TEST_F(TwoPictures, ALeftReleaseOverAnotherPictureGoesToThePressedOneWithoutAClick) {
  QTest::mousePress(handle(), Qt::LeftButton, {}, kOnA);
  QTest::mouseRelease(handle(), Qt::LeftButton, {}, kOnB);
  EXPECT_EQ(calls, (std::vector<std::string>{"A down left", "A up left"}));
}

TEST_F(TwoPictures, ARightReleaseGoesToThePictureUnderThePointer) {
  QTest::mousePress(handle(), Qt::RightButton, {}, kOnA);
  QTest::mouseRelease(handle(), Qt::RightButton, {}, kOnB);
  EXPECT_EQ(calls, (std::vector<std::string>{"A down right", "B up right"}));
}

}  // namespace
}  // namespace veyra
