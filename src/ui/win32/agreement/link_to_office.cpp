#include "ui/win32/agreement/link_to_office.h"

#include <mshtml.h>

#include "platform/windows/wide_text.h"
#include "ui/win32/agreement/event_object.h"
#include "ui/win32/agreement/fm_web.h"
#include "ui/win32/agreement/page_click.h"
#include "ui/win32/agreement/system_rect.h"

namespace veyra::win32 {
namespace {

constexpr int kButton1Id = 1;
constexpr int kButton3Id = 3;
// The system's dialog face on Traditional-Chinese Windows.
constexpr const char* kButtonFace = "新細明體";
constexpr int kButtonFontPixels = 12;

HWND CreateButton(HWND parent, int id, const char* caption, const Rect& place, const Font& font) {
  HWND button = CreateWindowExW(0, L"BUTTON", WideFromUtf8(caption).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, place.left,
                                place.top, place.width, place.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font.handle()), FALSE);
  EnableWindow(button, TRUE);
  return button;
}

}  // namespace

TLinkToOfficeFM::TLinkToOfficeFM(const std::string& application_folder, std::wstring account_site)
    : account_site_(std::move(account_site)) {
  event_object_ = new TEventObject([this] {
    if (agreement::TDummy::PageClickCloses(read_page_click_())) Button3Click();
  });
  read_page_click_ = [this] { return ReadPageClick(document_); };
  FormCreate(application_folder);
}

TLinkToOfficeFM::~TLinkToOfficeFM() {
  // The page may outlive the window by a moment: it must not call into it any more.
  if (document_) {
    VARIANT none;
    VariantInit(&none);
    none.vt = VT_NULL;
    document_->put_onclick(none);
    document_->Release();
  }
  web_browser1_.reset();
  event_object_->Release();
}

void TLinkToOfficeFM::FormCreate(const std::string& application_folder) {
  const agreement::AgreementPlaces places = agreement::AgreementWindowPlaces(
      {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  CreateHandle(L"TLinkToOfficeFM", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
               WideFromUtf8(agreement::kAgreementCaption), SystemRect(places.window), nullptr);
  if (handle() == nullptr) return;

  web_browser1_ = BrowserControl::Create(handle(), SystemRect(places.browser));
  if (web_browser1_) {
    web_browser1_->Navigate(agreement::AgreementPagePath(application_folder).wstring());
    // The document the browser holds right after the navigation has started is often not yet
    // the page's: the sink is hung again on every page that has finished loading.
    web_browser1_->OnDocumentReady([this](IHTMLDocument2* document) { WBSurvey(document); });
  }

  button_font_ = Font(kButtonFace, kButtonFontPixels);
  button1_ = CreateButton(handle(), kButton1Id, agreement::kAgreeCaption, places.agree_button,
                          button_font_);
  button3_ = CreateButton(handle(), kButton3Id, agreement::kDeclineCaption, places.decline_button,
                          button_font_);

  if (web_browser1_) {
    IHTMLDocument2* document = web_browser1_->CurrentDocument();
    WBSurvey(document);
    if (document) document->Release();
  }
}

void TLinkToOfficeFM::WBSurvey(IHTMLDocument2* document) {
  // No document yet: the page that finishes loading brings one.
  if (document == nullptr) return;
  document->AddRef();
  if (document_) document_->Release();
  document_ = document;
  VARIANT sink;
  VariantInit(&sink);
  sink.vt = VT_DISPATCH;
  sink.pdispVal = event_object_;
  // The document takes its own reference to the sink.
  document_->put_onclick(sink);
}

IDispatch* TLinkToOfficeFM::ClickSink() const {
  return event_object_;
}

void TLinkToOfficeFM::Show() {
  ShowWindow(handle(), SW_SHOW);
  SetForegroundWindow(handle());
}

void TLinkToOfficeFM::Button1Click() {
  ShowFmWeb(account_site_);
  ShowWindow(handle(), SW_HIDE);
}

void TLinkToOfficeFM::Button3Click() {
  ShowWindow(handle(), SW_HIDE);
}

LRESULT TLinkToOfficeFM::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == kButton1Id) Button1Click();
      if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == kButton3Id) Button3Click();
      return 0;
    case WM_ERASEBKGND: {  // the form's face around the browser and the buttons
      RECT client{};
      GetClientRect(handle(), &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_CLOSE:  // the close box hides the window; it lives as long as the program
      Button3Click();
      return 0;
    default:
      return Window::HandleMessage(message, wparam, lparam);
  }
}

}  // namespace veyra::win32
