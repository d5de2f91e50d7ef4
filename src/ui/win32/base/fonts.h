#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "window_rules/geometry.h"

namespace veyra::win32 {

// A font by its Windows face name (新細明體, 標楷體, Courier New; UTF-8) whose characters are
// `pixel_height` pixels high. Copies share the font.
class Font {
 public:
  Font() = default;
  Font(std::string_view face, int pixel_height);

  HFONT handle() const { return static_cast<HFONT>(font_.get()); }
  // The size of `text` on one line in this font.
  Size Measure(std::wstring_view text) const;

 private:
  std::shared_ptr<void> font_;
};

}  // namespace veyra::win32
