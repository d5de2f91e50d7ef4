// The places that the windows' behaviour depends on, checked when this file compiles.
#include "window_rules/launcher_layout.h"
#include "window_rules/updater_window_layout.h"

namespace veyra {
namespace {

constexpr bool Covers(Rect outer, Rect inner) {
  return outer.left <= inner.left && outer.top <= inner.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

constexpr Rect Stretched(const PictureButtonLayout& button) {
  return {button.place.at.left, button.place.at.top, button.place.size->width,
          button.place.size->height};
}

// Once shown, the start-game picture hides the start-update picture completely, so a click
// there can only start the game.
static_assert(Covers(Stretched(updater_window::kImage3), Stretched(updater_window::kImage2)));

// A launcher button's click area lies inside its picture, and no two pictures overlap, so a
// press on a click area reaches exactly one button.
constexpr bool LauncherButtonsApart() {
  for (size_t i = 0; i < launcher::ButtonPos.size(); ++i) {
    const Point at = launcher::ButtonPos[i];
    const Rect picture{at.left, at.top, launcher::kButtonPictureSize.width,
                       launcher::kButtonPictureSize.height};
    if (!Covers(picture, {at.left, at.top, launcher::kButtonClickAreaSize.width,
                          launcher::kButtonClickAreaSize.height})) {
      return false;
    }
    if (i > 0 && launcher::ButtonPos[i - 1].left + launcher::kButtonPictureSize.width > at.left) {
      return false;
    }
  }
  return true;
}
static_assert(LauncherButtonsApart());

}  // namespace
}  // namespace veyra
