#include "ui/win32/base/message_boxes.h"

#include "platform/text_codec.h"
#include "platform/windows/wide_text.h"
#include "window_rules/launcher_layout.h"

namespace veyra::win32 {
namespace {

int ShowBox(HWND owner, const std::wstring& text, UINT kind) {
  const std::wstring caption = WideFromUtf8(launcher::kApplicationTitle);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), kind);
}

}  // namespace

std::wstring DisplayText(std::string_view language_code, std::string_view bytes) {
  return WideFromUtf8(DecodeForDisplay(language_code, bytes));
}

void ShowInformation(HWND owner, const std::wstring& text) {
  ShowBox(owner, text, MB_OK | MB_ICONINFORMATION);
}

bool AskYesNo(HWND owner, const std::wstring& text) {
  return ShowBox(owner, text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace veyra::win32
