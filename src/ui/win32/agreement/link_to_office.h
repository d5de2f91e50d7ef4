#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/win32/base/fonts.h"
#include "ui/win32/base/window.h"
#include "ui/win32/browser/browser_control.h"
#include "window_rules/agreement_rules.h"

struct IHTMLDocument2;

namespace veyra::win32 {

class TEventObject;

// The service agreement window: the agreement page index.htm of the application folder in the
// browser, with "我同意" (go on to the account web site) and "不同意" (close) under it. A click on
// a page element whose markup holds the close marker closes it too. Closing only hides it: shown
// again, it presents the page as the player left it.
//
// Created once, hidden, at start-up; its page starts loading at once.
class TLinkToOfficeFM : public Window {
 public:
  // How the click being handled is read from the page. The program reads the page's document;
  // tests stand in for it, since only a real browser engine has one.
  using PageClickReader = std::function<agreement::PageClick()>;

  // `application_folder` holds index.htm; `account_site` is where "我同意" leads.
  TLinkToOfficeFM(const std::string& application_folder, std::wstring account_site);
  ~TLinkToOfficeFM() override;

  // Shows the window, not modally.
  void Show();
  // "我同意": the account web site in a full-screen TFmWeb, modally; once the player has closed
  // it, this window closes too.
  void Button1Click();
  // "不同意": closes (hides) the window.
  void Button3Click();

  BrowserControl* WebBrowser1() const { return web_browser1_.get(); }
  HWND Button1() const { return button1_; }
  HWND Button3() const { return button3_; }
  // The sink that is hung on the page, as the browser sees it.
  IDispatch* ClickSink() const;
  void SetPageClickReader(PageClickReader reader) { read_page_click_ = std::move(reader); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void FormCreate(const std::string& application_folder);
  // Hangs the click sink on `document` (when there is one) and holds the document.
  void WBSurvey(IHTMLDocument2* document);

  std::wstring account_site_;
  std::unique_ptr<BrowserControl> web_browser1_;
  HWND button1_ = nullptr;
  HWND button3_ = nullptr;
  Font button_font_;
  IHTMLDocument2* document_ = nullptr;    // one reference held
  TEventObject* event_object_ = nullptr;  // one reference held
  PageClickReader read_page_click_;
};

}  // namespace veyra::win32
