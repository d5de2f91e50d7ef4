#pragma once

#include <string_view>

#include "window_rules/geometry.h"

namespace veyra {

// Which of its mouse events sets a picture button's action off.
enum class ButtonTrigger {
  kPress,    // any mouse button going down on it
  kRelease,  // any mouse button coming up (a left release wherever the pointer then is)
  kClick,    // the left button going down and coming up over it
};

// A picture button of the updater family: a released and a pressed picture (base names for
// UpdaterPicturePath) in one control. Press shows the pressed picture, release the released one
// again, and then the trigger sets the action off.
struct PictureButtonLayout {
  std::string_view control;   // the control's name in its window
  std::string_view released;  // picture base name
  std::string_view pressed;   // picture base name
  Placement place;
  ButtonTrigger trigger;
  // The picture is changed only when its file exists; otherwise a missing file is a failure
  // of the handler, which then ends before the action.
  bool swaps_only_existing_pictures;
};

// What a handler does when it is to show one of its button's pictures: load it (a picture that
// cannot be loaded then ends the handler before its action), or, for a button that swaps only
// existing pictures and a file that is not there, keep the picture shown and go on.
enum class PictureChange { kLoad, kKeep };
constexpr PictureChange PictureChangeFor(const PictureButtonLayout& button, bool file_exists) {
  return button.swaps_only_existing_pictures && !file_exists ? PictureChange::kKeep
                                                             : PictureChange::kLoad;
}

}  // namespace veyra
