#pragma once

#include <string_view>

#include "updater/dialogs/updater_caption.h"
#include "window_rules/geometry.h"

// The network line dialog TForm2. Its six pictures are built into the form (no files): a
// Traditional and a Simplified set, of which only the set of the display language's art suffix
// is visible (LineDialogPictureSet).
namespace veyra::line_dialog {

inline constexpr std::string_view kCaption = kUpdaterCaption;

// The size set at creation; the dialog then fits itself to its contents.
inline constexpr Size kInitialSize{408, 408};

inline constexpr Rect kListBox1{52, 88, 296, 248};

// One set of pictures: the background, the confirm button, and the pressed button lying under
// the confirm button, shown when a press hides it. Stacking from the bottom: both backgrounds,
// both pressed buttons, both confirm buttons, then the list.
struct PictureControl {
  std::string_view control;
  Point at;
  Size size;
};
struct PictureSet {
  PictureControl background;
  PictureControl pressed;
  PictureControl confirm;
};

inline constexpr PictureSet kTraditionalSet{
    {"Image0c", {0, 0}, {400, 400}},
    {"Image2c", {144, 352}, {92, 27}},
    {"Image1c", {144, 352}, {100, 29}},
};
inline constexpr PictureSet kSimplifiedSet{
    {"Image0s", {0, 0}, {400, 400}},
    {"Image2s", {144, 352}, {100, 29}},
    {"Image1s", {144, 352}, {100, 29}},
};

// The visible set for a display language code: the Simplified one for "s", the Traditional one
// for "t", "n" and any other code. The other set is hidden.
const PictureSet& LineDialogPictureSet(std::string_view language_code);

// The dialog's top-left corner when shown: 100 pixels right of the updater window's.
constexpr Point LineDialogPosition(Point updater_window) {
  return {updater_window.left + 100, updater_window.top};
}

}  // namespace veyra::line_dialog
