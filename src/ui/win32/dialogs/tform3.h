#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/win32/base/picture_layer.h"
#include "ui/win32/base/window.h"
#include "window_rules/geometry.h"

namespace veyra::win32 {

// The update mode dialog: an ordinary window with a close box over its background picture, with
// two picture buttons acting on the release of any mouse button: force update (hides the
// dialog, runs `force_update`, closes) and cancel (closes). Closing by the close box cancels.
class TForm3 : public Window {
 public:
  TForm3(const std::string& language_code, Point updater_window_at,
         std::function<void()> force_update);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void FormCreate(Point updater_window_at);
  void Image2MouseDown();
  void Image2MouseUp();
  void Image3MouseDown();
  void Image3MouseUp();

  std::string language_code_;
  std::function<void()> force_update_;
  PictureLayer pictures_;
  PictureId image1_ = 0, image2_ = 0, image3_ = 0;
};

}  // namespace veyra::win32
