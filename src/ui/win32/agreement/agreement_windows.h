#pragma once

#include <string>

// The service agreement window TLinkToOfficeFM and the full-screen browser window TFmWeb.
namespace veyra::win32 {

// Start-up: creates the agreement window hidden, its page (index.htm of the application folder)
// already loading; "我同意" leads to `account_site_url`. Quietly does nothing more when the
// window cannot be built.
void CreateAgreementWindow(const std::string& account_site_url);

// The launcher's web button on a Traditional-Chinese system: shows the agreement window (not
// modally), as the player left it.
void ShowAgreementWindow();

// The launcher's web button on any other system: the game's home page in a full-screen TFmWeb,
// shown modally; returns once the player has closed it (the window is released then).
void ShowHomePageWindow(const std::string& home_page_url);

}  // namespace veyra::win32
