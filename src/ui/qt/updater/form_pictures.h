#pragma once

#include <QImage>
#include <optional>
#include <string>
#include <string_view>

#include "window_rules/picture_button_layout.h"
#include "window_rules/updater_pictures.h"

class QListWidget;

namespace veyra {

class PictureControl;

// A picture a form is built with (the Traditional artwork compiled into the program), by its
// name in the built-in collection, e.g. "TForm1/Image2.jpg". A picture that is not there is a
// null image: the control is then simply empty.
QImage FormBuiltinPicture(std::string_view name);

// The updater family's picture `base` in the display language, from the game folder's upimg
// (UpdaterPicturePath); nullopt when it is missing or cannot be read.
std::optional<QImage> LoadUpdaterPicture(std::string_view base, const std::string& language_code);

// Shows picture `base` of `button` on `control` the way its handlers do: buttons that swap only
// existing pictures leave a missing file alone. False when the picture had to be loaded and could
// not be: the handler then ends there.
bool ShowButtonPicture(PictureControl& control, const PictureButtonLayout& button,
                       std::string_view base, const std::string& language_code);

// The application title, the caption of every message box.
QString ApplicationTitle();

}  // namespace veyra
