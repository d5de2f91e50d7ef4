#include "ui/win32/updater/list_box.h"

#include "ui/win32/base/message_boxes.h"
#include "window_rules/list_box_edit.h"

namespace veyra::win32 {

ListBox::ListBox(HWND parent, const Rect& place, int id)
    : handle_(CreateWindowExW(
          WS_EX_CLIENTEDGE, L"LISTBOX", L"",
          WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, place.left,
          place.top, place.width, place.height, parent,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr)) {}

void ListBox::SetFont(const Font& font) {
  font_ = font;
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font.handle()), TRUE);
}

void ListBox::Show(const LineList& now, const std::string& language_code) {
  if (!ListMayHaveChanged(shown_, now)) return;
  const ListBoxEdit edit = EditBetween(shown_, now);
  SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < edit.removed; ++i) SendMessageW(handle_, LB_DELETESTRING, edit.first, 0);
  for (size_t i = edit.first; i < edit.first + edit.inserted; ++i) {
    const std::wstring text = DisplayText(language_code, now[i]);
    SendMessageW(handle_, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(handle_, nullptr, TRUE);
  shown_ = now;
}

void ListBox::SetSelection(int index) {
  SendMessageW(handle_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ListBox::Selection() const {
  return static_cast<int>(SendMessageW(handle_, LB_GETCURSEL, 0, 0));
}

}  // namespace veyra::win32
