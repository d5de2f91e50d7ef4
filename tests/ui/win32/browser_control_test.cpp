#include "ui/win32/browser/browser_control.h"

#include <exdisp.h>
#include <exdispid.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/win32/base_test_window.h"

namespace veyra::win32 {
namespace {

// A plain window to host the control, and a bounded pump for the control's own work.
class BrowserHost : public ::testing::Test {
 protected:
  static void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      Sleep(10);
    }
  }

  // Where the control's window lies, in the host's client pixels.
  RECT ChildRect() const {
    RECT rect{};
    HWND child = GetWindow(window_, GW_CHILD);
    if (child == nullptr) return rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  testing::TestWindow host_{{}, {0, 0, 640, 480}};
  HWND window_ = host_.handle();
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(BrowserHost, TakesItsPlaceInTheParentAndFollowsSetRect) {
  const std::unique_ptr<BrowserControl> control = BrowserControl::Create(window_, {5, 5, 300, 200});
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->Parent(), window_);
  EXPECT_TRUE(SameRect(ChildRect(), {5, 5, 300, 200}));
  control->SetRect({10, 20, 410, 320});
  EXPECT_TRUE(SameRect(ChildRect(), {10, 20, 410, 320}));
}

TEST_F(BrowserHost, NavigatesToTheAddressAsked) {
  const std::unique_ptr<BrowserControl> control = BrowserControl::Create(window_, {0, 0, 100, 100});
  ASSERT_NE(control, nullptr);
  control->Navigate(L"http://127.0.0.1:9/agreement");
  Pump(300);
  EXPECT_EQ(control->RequestedAddress(), L"http://127.0.0.1:9/agreement");
  BSTR location = nullptr;
  ASSERT_EQ(control->Browser()->get_LocationURL(&location), S_OK);
  const std::wstring shown = location ? std::wstring(location, SysStringLen(location)) : L"";
  SysFreeString(location);
  EXPECT_EQ(shown, L"http://127.0.0.1:9/agreement");
}

// Acts as the browser asking for a new window (NewWindow3) for `address`; returns whether the
// request was cancelled and what the default-browser seam received.
struct NewWindowOutcome {
  bool cancelled = false;
  std::vector<std::wstring> opened;
};
NewWindowOutcome RequestNewWindow(BrowserControl& control, const wchar_t* address) {
  NewWindowOutcome outcome;
  control.SetOpenExternally([&](const std::wstring& url) { outcome.opened.push_back(url); });
  VARIANT_BOOL cancel = VARIANT_FALSE;
  IDispatch* new_window = nullptr;
  VARIANT arguments[5];
  for (VARIANT& argument : arguments) VariantInit(&argument);
  arguments[4].vt = VT_BYREF | VT_DISPATCH;
  arguments[4].ppdispVal = &new_window;
  arguments[3].vt = VT_BYREF | VT_BOOL;
  arguments[3].pboolVal = &cancel;
  arguments[2].vt = VT_I4;
  arguments[1].vt = VT_BSTR;
  arguments[1].bstrVal = SysAllocString(L"file:///C:/game/index.htm");
  arguments[0].vt = VT_BSTR;
  arguments[0].bstrVal = SysAllocString(address);
  DISPPARAMS parameters{arguments, nullptr, 5, 0};
  control.Events()->Invoke(DISPID_NEWWINDOW3, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr,
                           nullptr, nullptr);
  SysFreeString(arguments[1].bstrVal);
  SysFreeString(arguments[0].bstrVal);
  outcome.cancelled = cancel == VARIANT_TRUE;
  return outcome;
}

TEST_F(BrowserHost, NewWindowRequestsGoToTheDefaultBrowserNeverIntoTheGame) {
  const std::unique_ptr<BrowserControl> control = BrowserControl::Create(window_, {0, 0, 100, 100});
  ASSERT_NE(control, nullptr);
  control->Navigate(L"about:blank");

  const NewWindowOutcome web = RequestNewWindow(*control, L"https://forum.example/thread?id=1");
  EXPECT_TRUE(web.cancelled);
  EXPECT_EQ(web.opened, std::vector<std::wstring>{L"https://forum.example/thread?id=1"});

  // A page cannot have the shell start a program or a file.
  for (const wchar_t* unsafe : {L"file:///C:/windows/system32/calc.exe", L"C:\\x\\run.exe", L""}) {
    const NewWindowOutcome refused = RequestNewWindow(*control, unsafe);
    EXPECT_TRUE(refused.cancelled);
    EXPECT_TRUE(refused.opened.empty());
  }
  EXPECT_EQ(control->RequestedAddress(), L"about:blank");
}

}  // namespace
}  // namespace veyra::win32
