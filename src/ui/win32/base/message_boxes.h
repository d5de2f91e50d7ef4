#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace veyra::win32 {

// A byte text of the display language `language_code` (Big5 for "t", GB for "s", Windows-1252
// otherwise) as UTF-16 for the system's wide calls.
std::wstring DisplayText(std::string_view language_code, std::string_view bytes);

// A modal information box over `owner` whose caption is the application title.
void ShowInformation(HWND owner, const std::wstring& text);
// A modal Yes/No question (question icon) over `owner` whose caption is the application title;
// true only when the answer is Yes.
bool AskYesNo(HWND owner, const std::wstring& text);

}  // namespace veyra::win32
