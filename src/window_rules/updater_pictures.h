#pragma once

#include <string>
#include <string_view>

namespace veyra {

// The file of the updater family's picture `base` ("0", "1-2", "6-1", ...) for the display
// language `language_code`: program folder + "upimg\" + base + art suffix + ".jpg", the suffix
// being "s" for "s" and "c" (the Traditional artwork) for "t", "n" and any other code. The name
// is in the game's form (backslashes, any letter case); open it through MapPath.
std::string UpdaterPicturePath(std::string_view base, const std::string& language_code);

// True when the picture file of `base` exists (whether or not it can be read).
bool UpdaterPictureExists(std::string_view base, const std::string& language_code);

}  // namespace veyra
