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

PictureControl PictureButtonControl(const PictureButtonLayout& button,
                                    std::function<void()> mouse_down,
                                    std::function<void()> mouse_up) {
  PictureControl control;
  const Size size = button.place.size.value_or(Size{});
  control.place = {button.place.at.left, button.place.at.top, size.width, size.height};
  control.stretch = button.place.size.has_value();
  control.on_mouse_down = [down = std::move(mouse_down)](MouseButton) { down(); };
  control.on_mouse_up = [up = std::move(mouse_up)](MouseButton) { up(); };
  return control;
}

}  // namespace veyra::win32
