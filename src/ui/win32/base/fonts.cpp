#include "ui/win32/base/fonts.h"

#include "platform/windows/wide_text.h"

namespace veyra::win32 {

Font::Font(std::string_view face, int pixel_height) {
  LOGFONTW description{};
  description.lfHeight = -pixel_height;  // negative: the characters' height, not the cell's
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  const std::wstring name = WideFromUtf8(face);
  name.copy(description.lfFaceName, LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&description);
  if (font != nullptr) {
    font_ = std::shared_ptr<void>(font, [](void* handle) { DeleteObject(handle); });
  }
}

Size Font::Measure(std::wstring_view text) const {
  HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, handle() ? handle() : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

}  // namespace veyra::win32
