#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ui/win32/base/picture.h"
#include "ui/win32/base/picture_layer.h"
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

// The control of `button` as laid out (a layout size stretches the picture to it), whose press
// and release of any mouse button call `mouse_down` and `mouse_up`.
PictureControl PictureButtonControl(const PictureButtonLayout& button,
                                    std::function<void()> mouse_down,
                                    std::function<void()> mouse_up);

// Adds the control of `button` to `pictures`, its press and release calling `form`'s `down` and
// `up`.
template <typename Form>
PictureId AddPictureButton(PictureLayer& pictures, const PictureButtonLayout& button, Form* form,
                           void (Form::*down)(), void (Form::*up)()) {
  return pictures.Add(PictureButtonControl(
      button, [form, down] { (form->*down)(); }, [form, up] { (form->*up)(); }));
}

}  // namespace veyra::win32
