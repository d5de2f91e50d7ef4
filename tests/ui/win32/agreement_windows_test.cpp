#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "ui/win32/agreement/agreement_windows.h"
#include "ui/win32/agreement/fm_web.h"
#include "ui/win32/agreement/link_to_office.h"
#include "window_rules/agreement_rules.h"

namespace veyra::win32 {
namespace {

using agreement::PageClick;

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// A child's place in its parent's client pixels.
RECT ChildRect(HWND child) {
  RECT rect = WindowRect(child);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

bool Equal(const RECT& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right - a.left == b.width &&
         a.bottom - a.top == b.height;
}

class AgreementWindow : public ::testing::Test {
 protected:
  AgreementWindow() {
    folder_.Write("Index.HTM", "<html><body>agreement</body></html>");
    window_ = std::make_unique<TLinkToOfficeFM>(folder_.folder(), L"http://127.0.0.1:9/account");
  }

  HWND handle() const { return window_->handle(); }

  testing::TempFolder folder_;
  std::unique_ptr<TLinkToOfficeFM> window_;
};

TEST_F(AgreementWindow, IsBuiltHiddenOverThePageOfTheApplicationFolder) {
  ASSERT_NE(window_->WebBrowser1(), nullptr);
  EXPECT_FALSE(IsWindowVisible(handle()));
  EXPECT_EQ(TextOf(handle()), L"VeyraOnline合約說明");
  // The page is found whatever the letter case of its name.
  EXPECT_EQ(window_->WebBrowser1()->RequestedAddress(),
            (folder_.path() / "Index.HTM").make_preferred().wstring());

  const agreement::AgreementPlaces places = agreement::AgreementWindowPlaces(
      {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  EXPECT_TRUE(Equal(WindowRect(handle()), places.window));
  const RECT browser = window_->WebBrowser1()->Rect();
  EXPECT_TRUE(Equal(browser, places.browser));
  EXPECT_TRUE(Equal(ChildRect(window_->Button1()), places.agree_button));
  EXPECT_TRUE(Equal(ChildRect(window_->Button3()), places.decline_button));
  EXPECT_EQ(TextOf(window_->Button1()), L"我同意");
  EXPECT_EQ(TextOf(window_->Button3()), L"不同意");
}

TEST_F(AgreementWindow, ThePageClickSinkClosesTheWindowOnlyForTheMarker) {
  struct Case {
    PageClick click;
    DISPID dispatch_id;
    HRESULT answer;
    bool closes;
  };
  const std::vector<Case> cases = {
      {{true, R"(<a href="CloseLinkToOfficeFM">關閉</a>)"}, 0, S_OK, true},
      {{true, R"(<div class="closelinktoofficefm">x</div>)"}, 0, S_OK, true},
      {{true, R"(<img src="close.gif">)"}, 0, S_OK, false},  // the picture inside a marked link
      {{true, std::nullopt}, 0, S_OK, false},                // no source element
      {{false, R"(<a href="CloseLinkToOfficeFM">x</a>)"}, 0, S_OK, false},  // no document held
      {{true, R"(<a href="CloseLinkToOfficeFM">x</a>)"}, 1, E_NOTIMPL, false},
  };
  for (const Case& c : cases) {
    window_->Show();
    window_->SetPageClickReader([&] { return c.click; });
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(window_->ClickSink()->Invoke(c.dispatch_id, IID_NULL, 0, DISPATCH_METHOD, &none,
                                           nullptr, nullptr, nullptr),
              c.answer);
    EXPECT_EQ(IsWindowVisible(handle()) == FALSE, c.closes)
        << c.click.source_outer_html.value_or("(none)");
  }
}

TEST_F(AgreementWindow, DeclineAndTheCloseBoxOnlyHideIt) {
  for (const UINT message : {UINT(WM_COMMAND), UINT(WM_CLOSE)}) {
    window_->Show();
    ASSERT_TRUE(IsWindowVisible(handle()));
    const WPARAM decline = MAKEWPARAM(3, BN_CLICKED);
    SendMessageW(handle(), message, message == WM_COMMAND ? decline : 0,
                 message == WM_COMMAND ? reinterpret_cast<LPARAM>(window_->Button3()) : 0);
    EXPECT_FALSE(IsWindowVisible(handle()));
    EXPECT_TRUE(IsWindow(handle()));
  }
}

// What the full-screen browser window looked like while it was shown modally; it is then closed
// as the player would close it.
struct ShownFmWeb {
  bool seen = false;
  RECT rect{};
  std::wstring address;
  bool others_enabled = true;
};
ShownFmWeb shown;
HWND other_window = nullptr;

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (FmWeb == nullptr) return;
  shown.seen = true;
  shown.rect = WindowRect(FmWeb->handle());
  if (FmWeb->Web) shown.address = FmWeb->Web->RequestedAddress();
  shown.others_enabled = IsWindowEnabled(other_window) != FALSE;
  PostMessageW(FmWeb->handle(), WM_CLOSE, 0, 0);
}

ShownFmWeb WhileFmWebShown(HWND other, const std::function<void()>& open) {
  shown = {};
  other_window = other;
  SetTimer(nullptr, 0, 300, &LookAndClose);
  open();
  EXPECT_EQ(FmWeb, nullptr);
  return shown;
}

Rect WorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

TEST_F(AgreementWindow, AgreeShowsTheAccountSiteFullScreenModallyAndThenCloses) {
  window_->Show();
  const ShownFmWeb account = WhileFmWebShown(handle(), [&] {
    SendMessageW(handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window_->Button1()));
  });
  ASSERT_TRUE(account.seen);
  EXPECT_EQ(account.address, L"http://127.0.0.1:9/account");
  EXPECT_TRUE(Equal(account.rect, WorkArea()));
  EXPECT_FALSE(account.others_enabled);  // modal: the agreement window takes no input meanwhile
  EXPECT_FALSE(IsWindowVisible(handle()));
  EXPECT_TRUE(IsWindowEnabled(handle()));
}

TEST(HomePageWindow, ShowsTheHomePageFullScreenAndIsReleasedOnClose) {
  const ShownFmWeb home =
      WhileFmWebShown(nullptr, [] { ShowHomePageWindow("http://127.0.0.1:9/home"); });
  ASSERT_TRUE(home.seen);
  EXPECT_EQ(home.address, L"http://127.0.0.1:9/home");
  EXPECT_TRUE(Equal(home.rect, WorkArea()));
}

}  // namespace
}  // namespace veyra::win32
