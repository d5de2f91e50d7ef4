#include "ui/win32/agreement/agreement_windows.h"

#include <memory>

#include "platform/paths.h"
#include "platform/windows/wide_text.h"
#include "ui/win32/agreement/fm_web.h"
#include "ui/win32/agreement/link_to_office.h"

namespace veyra::win32 {
namespace {

// The agreement window of start-up; it lives as long as the program.
std::unique_ptr<TLinkToOfficeFM> agreement_window;

}  // namespace

void CreateAgreementWindow(const std::string& account_site_url) {
  agreement_window =
      std::make_unique<TLinkToOfficeFM>(ProgramFolder(), WideFromUtf8(account_site_url));
}

void ShowAgreementWindow() {
  if (agreement_window) agreement_window->Show();
}

void ShowHomePageWindow(const std::string& home_page_url) {
  ShowFmWeb(WideFromUtf8(home_page_url));
}

}  // namespace veyra::win32
