#pragma once

#include <string>
#include <string_view>

#include "ui/win32/base/picture.h"
#include "window_rules/picture_button_layout.h"

namespace veyra::win32 {

// The updater family's picture `base` in the display language, from the game folder's upimg
// (UpdaterPicturePath); veyra::Error when it is missing or cannot be read.
Picture LoadUpdaterPicture(std::string_view base, const std::string& language_code);

// Puts picture `base` of `button` into `picture` the way its handlers do: buttons that swap
// only existing pictures leave a missing file alone; otherwise a picture that cannot be loaded
// throws, which ends the handler there.
void ShowButtonPicture(Picture& picture, const PictureButtonLayout& button, std::string_view base,
                       const std::string& language_code);

}  // namespace veyra::win32
