#include "ui/win32/updater/updater_pictures.h"

#include "window_rules/updater_pictures.h"

namespace veyra::win32 {

Picture LoadUpdaterPicture(std::string_view base, const std::string& language_code) {
  return LoadJpegPicture(UpdaterPicturePath(base, language_code));
}

void ShowButtonPicture(Picture& picture, const PictureButtonLayout& button, std::string_view base,
                       const std::string& language_code) {
  const bool exists = UpdaterPictureExists(base, language_code);
  if (PictureChangeFor(button, exists) == PictureChange::kKeep) return;
  picture = LoadUpdaterPicture(base, language_code);
}

}  // namespace veyra::win32
