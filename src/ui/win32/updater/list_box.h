#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/base/fonts.h"
#include "updater/records/lines.h"
#include "window_rules/geometry.h"

namespace veyra::win32 {

// A system LISTBOX child that shows a list of byte texts in the display language.
class ListBox {
 public:
  ListBox(HWND parent, const Rect& place, int id);

  HWND handle() const { return handle_; }
  void SetFont(const Font& font);
  // Shows `now`, changing only the rows that differ from what is shown (EditBetween).
  void Show(const LineList& now, const std::string& language_code);
  void SetSelection(int index);
  int Selection() const;

 private:
  HWND handle_;
  Font font_;
  LineList shown_;
};

}  // namespace veyra::win32
