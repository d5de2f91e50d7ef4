#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base_test_window.h"
#include "ui/win32/base/picture_layer.h"

namespace veyra::win32 {
namespace {

using testing::TestWindow;

// Two overlapping 20 x 20 pictures, A at (0, 0) and B above it at (10, 0), in a window that
// hands its mouse messages to the layer, as every window of the program does; each handler
// call is logged.
class PictureLayerTest : public ::testing::Test {
 protected:
  PictureLayerTest()
      : window_([this](UINT message, WPARAM, LPARAM lparam) -> std::optional<LRESULT> {
          if (layer_.HandleMouse(window_.handle(), message, lparam)) return 0;
          return std::nullopt;
        }) {
    for (const char* name : {"A", "B"}) {
      PictureControl control;
      control.place = {name[0] == 'A' ? 0 : 10, 0, 20, 20};
      control.stretch = true;
      const std::string tag = name;
      control.on_mouse_down = [this, tag](MouseButton b) {
        log_.push_back(tag + " down" + Name(b));
      };
      control.on_mouse_up = [this, tag](MouseButton b) { log_.push_back(tag + " up" + Name(b)); };
      control.on_click = [this, tag] { log_.push_back(tag + " click"); };
      layer_.Add(std::move(control));
    }
  }

  static std::string Name(MouseButton button) {
    return button == MouseButton::kLeft ? "" : button == MouseButton::kRight ? " right" : " middle";
  }
  void Send(UINT message, int x, int y) {
    SendMessageW(window_.handle(), message, 0, MAKELPARAM(x, y));
  }

  PictureLayer layer_;
  std::vector<std::string> log_;
  TestWindow window_;
};

TEST_F(PictureLayerTest, ALeftClickOnThePictureOnTopRunsDownClickUp) {
  Send(WM_LBUTTONDOWN, 15, 5);  // both lie here: B is on top
  EXPECT_EQ(GetCapture(), window_.handle());
  Send(WM_LBUTTONUP, 25, 5);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(log_, (std::vector<std::string>{"B down", "B click", "B up"}));
}

TEST_F(PictureLayerTest, ALeftReleaseElsewhereGoesToThePressedPictureWithoutAClick) {
  Send(WM_LBUTTONDOWN, 2, 2);
  Send(WM_LBUTTONUP, 200, 100);  // off every picture, as the capture delivers it
  EXPECT_EQ(log_, (std::vector<std::string>{"A down", "A up"}));
}

TEST_F(PictureLayerTest, OtherButtonsGoToThePictureUnderThePointerAndNeverClick) {
  Send(WM_RBUTTONDOWN, 2, 2);
  Send(WM_RBUTTONUP, 25, 2);
  Send(WM_MBUTTONUP, 200, 100);  // over nothing: no one hears it
  EXPECT_EQ(log_, (std::vector<std::string>{"A down right", "B up right"}));
}

TEST_F(PictureLayerTest, HiddenPicturesNeitherReceiveNorCover) {
  layer_[1].visible = false;
  Send(WM_LBUTTONDOWN, 15, 5);
  Send(WM_LBUTTONUP, 15, 5);
  EXPECT_EQ(log_, (std::vector<std::string>{"A down", "A click", "A up"}));
}

}  // namespace
}  // namespace veyra::win32
