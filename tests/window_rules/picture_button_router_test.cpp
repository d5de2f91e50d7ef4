#include "window_rules/picture_button_router.h"

#include <gtest/gtest.h>

namespace veyra {

// Readable failures: "click(4,0)" instead of bytes.
static void PrintTo(const PictureEvent& e, std::ostream* out) {
  static const char* const kinds[] = {"down", "click", "up"};
  *out << kinds[e.kind] << "(" << e.picture << "," << static_cast<int>(e.button) << ")";
}

namespace {

// The updater window's picture buttons.
constexpr PictureId kStartUpdate = 2;
constexpr PictureId kStartGame = 3;
constexpr PictureId kExit = 4;
constexpr PictureId kTroubleshooting = 6;

constexpr MouseButton kLeft = MouseButton::kLeft;
constexpr MouseButton kRight = MouseButton::kRight;
constexpr MouseButton kMiddle = MouseButton::kMiddle;

struct Step {
  bool press;
  std::optional<PictureId> under_pointer;
  MouseButton button;
};

PictureEvent Down(PictureId picture, MouseButton button) {
  return {PictureEvent::kMouseDown, picture, button};
}
PictureEvent Click(PictureId picture) {
  return {PictureEvent::kClick, picture, kLeft};
}
PictureEvent Up(PictureId picture, MouseButton button) {
  return {PictureEvent::kMouseUp, picture, button};
}

std::vector<PictureEvent> Replay(const std::vector<Step>& steps) {
  PictureButtonRouter router;
  std::vector<PictureEvent> calls;
  for (const Step& step : steps) {
    std::vector<PictureEvent> more = step.press ? router.Press(step.under_pointer, step.button)
                                                : router.Release(step.under_pointer, step.button);
    calls.insert(calls.end(), more.begin(), more.end());
  }
  return calls;
}

TEST(PictureButtonRouter, RoutesPressesReleasesAndClicks) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<PictureEvent> calls;
  };
  const Case cases[] = {
      {"left press and release over exit: click before release",
       {{true, kExit, kLeft}, {false, kExit, kLeft}},
       {Down(kExit, kLeft), Click(kExit), Up(kExit, kLeft)}},
      {"exit pressed, pointer moved off, released: release but no click",
       {{true, kExit, kLeft}, {false, std::nullopt, kLeft}},
       {Down(kExit, kLeft), Up(kExit, kLeft)}},
      {"left release away from start update still goes to it",
       {{true, kStartUpdate, kLeft}, {false, kExit, kLeft}},
       {Down(kStartUpdate, kLeft), Up(kStartUpdate, kLeft)}},
      {"right press and release on start update: no click",
       {{true, kStartUpdate, kRight}, {false, kStartUpdate, kRight}},
       {Down(kStartUpdate, kRight), Up(kStartUpdate, kRight)}},
      {"right release goes to the picture under the pointer, not the pressed one",
       {{true, kTroubleshooting, kRight}, {false, kStartUpdate, kRight}},
       {Down(kTroubleshooting, kRight), Up(kStartUpdate, kRight)}},
      {"right release without any press on a picture",
       {{false, kStartUpdate, kRight}},
       {Up(kStartUpdate, kRight)}},
      {"middle release off every picture calls nothing",
       {{true, kTroubleshooting, kMiddle}, {false, std::nullopt, kMiddle}},
       {Down(kTroubleshooting, kMiddle)}},
      {"left pressed off the pictures, released over exit: nothing",
       {{true, std::nullopt, kLeft}, {false, kExit, kLeft}},
       {}},
      {"a right release does not end the left button's hold",
       {{true, kStartGame, kLeft}, {false, kExit, kRight}, {false, kStartGame, kLeft}},
       {Down(kStartGame, kLeft), Up(kExit, kRight), Click(kStartGame), Up(kStartGame, kLeft)}},
      {"the hold ends with its release",
       {{true, kExit, kLeft}, {false, kExit, kLeft}, {false, kExit, kLeft}},
       {Down(kExit, kLeft), Click(kExit), Up(kExit, kLeft)}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Replay(c.steps), c.calls) << c.what;
  }
}

}  // namespace
}  // namespace veyra
