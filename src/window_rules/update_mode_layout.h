#pragma once

#include <string_view>

#include "updater/dialogs/updater_caption.h"
#include "window_rules/geometry.h"
#include "window_rules/picture_button_layout.h"

// The update mode dialog TForm3, opened by the updater window's troubleshooting button.
// Every picture takes the size of its picture file (UpdaterPicturePath).
namespace veyra::update_mode_dialog {

inline constexpr std::string_view kCaption = kUpdaterCaption;

// Background Image1, transparent.
inline constexpr std::string_view kImage1Picture = "4";
inline constexpr Point kImage1At{0, 0};

// Force update acts on the release of any mouse button, cancel too; both change their pictures
// only when the picture files exist.
inline constexpr PictureButtonLayout kImage2{
    "Image2", "6-1", "6-2", {{30, 92}, std::nullopt}, ButtonTrigger::kRelease, true};
inline constexpr PictureButtonLayout kImage3{
    "Image3", "7-1", "7-2", {{147, 92}, std::nullopt}, ButtonTrigger::kRelease, true};

// The dialog's top-left corner: 175 pixels right of and 200 below the updater window's.
constexpr Point UpdateModeDialogPosition(Point updater_window) {
  return {updater_window.left + 175, updater_window.top + 200};
}

// The dialog's size (and client size) from its background picture: 15 pixels narrower, as high.
constexpr Size UpdateModeDialogSize(Size background) {
  return {background.width - 15, background.height};
}

}  // namespace veyra::update_mode_dialog
