#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

struct IHTMLDocument2;
struct IWebBrowser2;

namespace veyra::win32 {

class BrowserSite;

// The system's web browser control (IWebBrowser2) hosted in place in a child area of a window.
// A link or script that asks for a new window never opens one inside the game: the address goes
// to the player's default browser instead (web addresses only), and the request is cancelled.
class BrowserControl {
 public:
  // What a new-window request hands its address to; the program opens the default browser.
  using OpenExternally = std::function<void(const std::wstring& address)>;
  // Called with the page's document each time a top-level document has finished loading.
  using DocumentReady = std::function<void(IHTMLDocument2* document)>;

  // Creates the control in `parent` at `rect` (client pixels of `parent`) and activates it in
  // place. Null when the system has no browser control or it refuses to run there.
  static std::unique_ptr<BrowserControl> Create(HWND parent, const RECT& rect);
  ~BrowserControl();
  BrowserControl(const BrowserControl&) = delete;
  BrowserControl& operator=(const BrowserControl&) = delete;

  // Moves and sizes the control (client pixels of its parent).
  void SetRect(const RECT& rect);
  // Shows a file (a full path) or a web address.
  void Navigate(const std::wstring& path_or_address);
  // Reloads the page shown.
  void Refresh();

  // The page's document right now; null while the browser holds none. Not kept by the caller
  // beyond the reference it is given (the caller releases it).
  IHTMLDocument2* CurrentDocument() const;
  void OnDocumentReady(DocumentReady ready);
  void SetOpenExternally(OpenExternally open);

  // What the control was last asked to show, and where it is.
  const std::wstring& RequestedAddress() const { return requested_; }
  RECT Rect() const;
  IWebBrowser2* Browser() const;
  HWND Parent() const;

  // The browser's event entry (DWebBrowserEvents2), for tests that act as the browser.
  IDispatch* Events() const;

 private:
  BrowserControl() = default;

  BrowserSite* site_ = nullptr;  // one reference held
  std::wstring requested_;
};

// Opens a web address in the player's default browser (ShellExecuteW).
void OpenInDefaultBrowser(const std::wstring& address);

}  // namespace veyra::win32
