#include "ui/win32/dialogs/tform2.h"

#include "platform/windows/wide_text.h"
#include "ui/win32/base/message_boxes.h"
#include "ui/win32/base/message_loop.h"
#include "ui/win32/base/painting.h"
#include "window_rules/line_dialog_layout.h"
#include "window_rules/picture_button_names.h"
#include "window_rules/updater_window_layout.h"

namespace veyra::win32 {
namespace {

namespace layout = line_dialog;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_BORDER | WS_CLIPCHILDREN;
constexpr int kListBox1Id = 101;
constexpr int kFormFontPixels = 12;
constexpr Rgb kGround{16, 26, 58};
constexpr Rgb kGold{214, 176, 64};
constexpr Rgb kPressedGold{150, 120, 40};

void FillArea(HDC dc, const Rect& area, Rgb colour) {
  const RECT rect{area.left, area.top, area.left + area.width, area.top + area.height};
  HBRUSH brush = CreateSolidBrush(ToColorRef(colour));
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void CentredText(HDC dc, const Font& font, Rgb colour, const Rect& area, const std::wstring& text) {
  const HGDIOBJ old_font = SelectObject(dc, font.handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(colour));
  RECT rect{area.left, area.top, area.left + area.width, area.top + area.height};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old_font);
}

Rect PlaceOf(const layout::PictureControl& picture) {
  return {picture.at.left, picture.at.top, picture.size.width, picture.size.height};
}

}  // namespace

TForm2::TForm2(LineDialogModel& model, const std::string& language_code, Point updater_window_at)
    : model_(model),
      language_code_(language_code),
      title_font_(updater_window::kWindowFont, 22),
      button_font_(updater_window::kWindowFont, 16) {
  // FormCreate: the initial size, then the form fits itself to its contents (the background).
  RECT frame{0, 0, layout::kInitialSize.width, layout::kInitialSize.height};
  CreateHandle(L"TForm2", kStyle, 0, L"", frame, nullptr);
  const layout::PictureSet& shown = layout::LineDialogPictureSet(language_code);
  simplified_ = &shown == &layout::kSimplifiedSet;
  RECT client{0, 0, shown.background.size.width, shown.background.size.height};
  AdjustWindowRectEx(&client, kStyle, FALSE, 0);
  const Point at = layout::LineDialogPosition(updater_window_at);
  SetWindowPos(handle(), nullptr, at.left, at.top, client.right - client.left,
               client.bottom - client.top, SWP_NOZORDER | SWP_NOACTIVATE);

  list_box1_ = std::make_unique<ListBox>(handle(), layout::kListBox1, kListBox1Id);
  list_box1_->SetFont(Font(updater_window::kWindowFont, kFormFontPixels));
  if (!model_.Web0Read()) return;
  list_box1_->Show(model_.ListBox1(), language_code_);
  list_box1_->SetSelection(model_.SelectedIndex());
  SetWindowTextW(handle(), WideFromUtf8(layout::kCaption).c_str());
}

void TForm2::Paint(HDC dc) const {
  const layout::PictureSet& shown = simplified_ ? layout::kSimplifiedSet : layout::kTraditionalSet;
  FillArea(dc, PlaceOf(shown.background), kGround);
  // 選擇連線線路 / 选择连线线路
  CentredText(dc, title_font_, kGold, {0, 24, shown.background.size.width, 40},
              simplified_ ? L"\u9009\u62e9\u8fde\u7ebf\u7ebf\u8def"
                          : L"\u9078\u64c7\u9023\u7dda\u7dda\u8def");
  const Rect button = PlaceOf(confirm_shown_ ? shown.confirm : shown.pressed);
  FillArea(dc, button, confirm_shown_ ? kGold : kPressedGold);
  CentredText(
      dc, button_font_, kGround, button,
      DisplayText(language_code_, PictureActionName(PictureAction::kConfirmLine, language_code_)));
}

void TForm2::Image1MouseDown() {
  // The pressed picture under the confirm picture shows while the dialog closes.
  confirm_shown_ = false;
  RepaintNow(handle());
  model_.Confirm();
  EndModal(handle());
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (const auto painted = HandlePaintMessage(handle(), message, [this](HDC dc) { Paint(dc); }))
    return *painted;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kListBox1Id && HIWORD(wparam) == LBN_SELCHANGE) {
        model_.Select(list_box1_->Selection());
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const layout::PictureSet& shown =
          simplified_ ? layout::kSimplifiedSet : layout::kTraditionalSet;
      if (confirm_shown_ && PlaceOf(shown.confirm).Contains(LOWORD(lparam), HIWORD(lparam))) {
        Image1MouseDown();
      }
      return 0;
    }
    case WM_CLOSE:
      return 0;  // no close box: the confirm picture is the way out
    default:
      break;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

}  // namespace veyra::win32
